#include "stepscript/language/Parser.h"
#include <gtest/gtest.h>

using namespace stepscript;

namespace {

std::unique_ptr<Block> Parse(const std::wstring& text, ULONG startLine = 0) {
    auto b = std::make_unique<Block>();
    b->text = text;
    b->startLine = startLine;
    Parser(*b).parseProgram();
    return b;
}

SyntaxError ParseError(const std::wstring& text) {
    try {
        Parse(text);
    } catch (const SyntaxError& e) {
        return e;
    }
    ADD_FAILURE() << "no error for: " << std::string(text.begin(), text.end());
    return {};
}

std::wstring PointText(const Block& b, size_t i) { return b.text.substr(b.points[i].offset, b.points[i].length); }

} // namespace

TEST(Parser, EveryStatementIsAStepPointWithItsPosition) {
    auto b = Parse(L"Dim x\nx = 1 : Out.Log x\n\nIf x > 0 Then\n  x = 2\nElseIf x < 0 Then\nElse\nEnd If\n", 10);
    ASSERT_EQ(b->points.size(), 5u);  // Dim and End If are no statements
    EXPECT_EQ(PointText(*b, 0), L"x = 1");
    EXPECT_EQ(b->points[0].line, 11u);  // starting line added
    EXPECT_EQ(b->points[0].blockLine, 1u);
    EXPECT_EQ(PointText(*b, 1), L"Out.Log x");
    EXPECT_EQ(PointText(*b, 2), L"If x > 0 Then");
    EXPECT_EQ(b->points[2].line, 13u);
    EXPECT_EQ(PointText(*b, 3), L"x = 2");
    EXPECT_EQ(PointText(*b, 4), L"ElseIf x < 0 Then");
    EXPECT_EQ(b->globals, (std::vector<std::wstring>{L"x"}));
}

TEST(Parser, LoopsHaveAHeadAndATailStep) {
    auto b = Parse(L"For i = 1 To 3 Step 1\n  Out.Log i\nNext\nDo While i < 5\nLoop\nWhile False\nWend\n");
    std::vector<std::wstring> texts;
    for (size_t i = 0; i < b->points.size(); ++i) texts.push_back(PointText(*b, i));
    EXPECT_EQ(texts, (std::vector<std::wstring>{L"For i = 1 To 3 Step 1", L"Out.Log i", L"Next", L"Do While i < 5",
                                                L"Loop", L"While False", L"Wend"}));
}

TEST(Parser, ProceduresKeepParametersAndLocals) {
    auto b = Parse(L"Function Twice(ByVal a, b)\n  Dim t\n  Twice = a * 2\nEnd Function\nSub Hello\nEnd Sub\n");
    ASSERT_EQ(b->procedures.size(), 2u);
    const Procedure& f = *b->procedures[0];
    EXPECT_TRUE(f.isFunction);
    EXPECT_EQ(f.name, L"Twice");
    ASSERT_EQ(f.params.size(), 2u);
    EXPECT_TRUE(f.params[0].byVal);
    EXPECT_FALSE(f.params[1].byVal);
    EXPECT_EQ(f.locals, (std::vector<std::wstring>{L"t"}));
    EXPECT_TRUE(b->globals.empty());
    EXPECT_FALSE(b->procedures[1]->isFunction);
    EXPECT_TRUE(b->code.empty());
}

TEST(Parser, SingleLineIfKeepsItsStatementsOnTheLine) {
    auto b = Parse(L"If a Then b = 1 : c = 2 Else d = 3\nx = 4");
    ASSERT_EQ(b->code.size(), 2u);
    const Stmt& s = *b->code[0];
    EXPECT_EQ(s.kind, StmtKind::If);
    EXPECT_EQ(s.clauses[0].body.size(), 2u);
    EXPECT_EQ(s.elseBody.size(), 1u);
    EXPECT_EQ(b->points[s.elseBody[0]->point].line, 0u);
}

TEST(Parser, OperatorPrecedenceFollowsVBScript) {
    auto b = std::make_unique<Block>();
    b->text = L"1 + 2 * 3 = 7 And Not a Or b";
    Parser(*b).parseExpression();
    const Expr& e = *b->expression;
    ASSERT_EQ(e.op, Op::Or);
    ASSERT_EQ(e.left->op, Op::And);
    EXPECT_EQ(e.left->left->op, Op::Eq);
    EXPECT_EQ(e.left->left->left->op, Op::Add);
    EXPECT_EQ(e.left->left->left->right->op, Op::Mul);
    EXPECT_EQ(e.left->right->op, Op::Not);
}

TEST(Parser, MismatchedBlocksAreReportedWithTheirPlace) {
    SyntaxError e = ParseError(L"x = 1\n  Next\n");
    EXPECT_EQ(e.description, L"'Next' without 'For'");
    EXPECT_EQ(e.line, 1u);
    EXPECT_EQ(e.column, 2);
    EXPECT_EQ(ParseError(L"Loop").description, L"'Loop' without 'Do'");
    EXPECT_EQ(ParseError(L"Wend").description, L"'Wend' without 'While'");
    EXPECT_EQ(ParseError(L"End If").description, L"'End If' without a matching block");
    EXPECT_EQ(ParseError(L"If x Then\n  y = 1\n").description, L"Expected 'End If'");
    EXPECT_EQ(ParseError(L"For i = 1 To 2\n").description, L"Expected 'Next'");
    EXPECT_EQ(ParseError(L"Sub A\n").description, L"Expected 'End Sub'");
    EXPECT_EQ(ParseError(L"For i = 1 To 2\nNext j").description, L"'Next j' does not match 'For i'");
}

TEST(Parser, MisplacedWordsAreNamed) {
    SyntaxError e = ParseError(L"x = 1\nCase 2\n");
    EXPECT_EQ(e.description, L"'Case' without 'Select Case'");
    EXPECT_EQ(e.line, 1u);
    EXPECT_EQ(ParseError(L"Exit For").description, L"Invalid 'Exit' statement");
    EXPECT_EQ(ParseError(L"Sub A\n Exit Function\nEnd Sub").description, L"Invalid 'Exit' statement");
    EXPECT_EQ(ParseError(L"Function F\n Exit Property\nEnd Function").description, L"Invalid 'Exit' statement");
    EXPECT_EQ(ParseError(L"Sub A\n Sub B\n End Sub\nEnd Sub").description,
              L"Syntax error: 'Sub' cannot be declared here");
    EXPECT_EQ(ParseError(L"Dim a, a").description, L"Name redefined: 'a'");
    EXPECT_EQ(ParseError(L"Class C\nEnd Class\nClass c\nEnd Class").description, L"Name redefined: 'c'");
    EXPECT_EQ(ParseError(L"Dim a(n)").description, L"Expected integer constant");
    EXPECT_EQ(ParseError(L"Property Get P\nEnd Property").description, L"Must be defined inside a Class");
    EXPECT_EQ(ParseError(L"GoTo x").description, L"Syntax error: GoTo exists only as 'On Error GoTo 0'");
}

TEST(Parser, BlocksOfTheWholeLanguage) {
    EXPECT_EQ(ParseError(L"Select Case x\nCase 1\n").description, L"Expected 'End Select'");
    EXPECT_EQ(ParseError(L"Select Case x\nCase Else\nCase 1\nEnd Select").description, L"Expected 'End Select'");
    EXPECT_EQ(ParseError(L"With x\n.a = 1\n").description, L"Expected 'End With'");
    EXPECT_EQ(ParseError(L"Class C\nPublic x\n").description, L"Expected 'End Class'");
    EXPECT_EQ(ParseError(L"Class C\nPrivate Default Function F\nEnd Function\nEnd Class").description,
              L"'Default' specification must also specify 'Public'");
    EXPECT_EQ(ParseError(L"Class C\nPublic Default Property Let P(v)\nEnd Property\nEnd Class").description,
              L"Cannot specify 'Default' on a Property Let or Set");
    EXPECT_EQ(ParseError(L"Class C\nSub Class_Initialize(a)\nEnd Sub\nEnd Class").description,
              L"Class initialize or terminate do not have arguments");
    EXPECT_EQ(ParseError(L"Class C\nProperty Get P\nEnd Property\nProperty Get P\nEnd Property\nEnd Class").description,
              L"Name redefined: 'P'");
    EXPECT_EQ(ParseError(L".a = 1").description, L"Syntax error: expected a statement");
    EXPECT_EQ(ParseError(L"x = #13/45/2020#").description, L"Syntax error: invalid date literal");
    // A Property Get, Let and Set of one name live side by side.
    auto b = Parse(L"Class C\nPrivate v\nPublic Property Get P\nP = v\nEnd Property\n"
                    L"Public Property Let P(x)\nv = x\nEnd Property\nEnd Class\n");
    ASSERT_EQ(b->classes.size(), 1u);
    EXPECT_EQ(b->classes[0]->methods.size(), 2u);
    EXPECT_EQ(b->classes[0]->fields.size(), 1u);
    EXPECT_FALSE(b->classes[0]->fields[0].isPublic);
}

TEST(Parser, IncompleteStatementsAndExpressions) {
    SyntaxError e = ParseError(L"x = 1 2");
    EXPECT_EQ(e.description, L"Expected end of statement");
    EXPECT_EQ(e.column, 6);
    EXPECT_EQ(ParseError(L"x = ").description, L"Expected expression");
    EXPECT_EQ(ParseError(L"x = (1 + 2").description, L"Expected ')'");
    EXPECT_EQ(ParseError(L"If x y = 1").description, L"Expected 'Then'");
    EXPECT_EQ(ParseError(L"1 = x").description, L"Syntax error: expected a statement");
    EXPECT_EQ(ParseError(L"Set x 5").description, L"Expected '='");
    EXPECT_EQ(ParseError(L"x.y() = = 3").description, L"Expected expression");
}

TEST(Parser, DeepNestingIsRefusedInsteadOfOverflowingTheStack) {
    std::wstring deep = L"x = " + std::wstring(5000, L'(') + L"1" + std::wstring(5000, L')');
    EXPECT_EQ(ParseError(deep).description, L"Expression too complex");
    std::wstring minus = L"x = " + std::wstring(5000, L'-') + L"1";
    EXPECT_EQ(ParseError(minus).description, L"Expression too complex");
}

TEST(Parser, StatementsShareTheLinesOfTheirBlockKeywords) {
    auto b = Parse(L"If c Then a = 1 Else a = 2 End If\n"
                   L"Sub Tick() n = n + 1 End Sub\n"
                   L"Select Case n\n Case 1  a = 3\nEnd Select\n"
                   L"If c Then\nElseIf d Then a = 4\nEnd If\n"
                   L"Class Box Public Size End Class\n");
    std::vector<std::wstring> texts;
    for (size_t i = 0; i < b->points.size(); ++i) texts.push_back(PointText(*b, i));
    EXPECT_EQ(texts, (std::vector<std::wstring>{L"If c Then", L"a = 1", L"a = 2", L"n = n + 1", L"Select Case n",
                                                L"Case 1", L"a = 3", L"If c Then", L"ElseIf d Then", L"a = 4"}));
    ASSERT_EQ(b->code.size(), 3u);
    EXPECT_EQ(b->code[0]->clauses[0].body.size(), 1u);
    EXPECT_EQ(b->code[0]->elseBody.size(), 1u);
    ASSERT_EQ(b->classes.size(), 1u);
    EXPECT_EQ(b->classes[0]->fields.size(), 1u);
    // A one-line If ends at the line's end or at its own End If; a second one is an error.
    EXPECT_EQ(ParseError(L"If c Then a = 1 End If End If").description, L"'End If' without a matching block");
    EXPECT_EQ(ParseError(L"Sub A() x = 1 End Function").description, L"Expected 'End Sub'");
}

TEST(Parser, ProceduresAndClassesInsideGlobalBlocksBelongToTheScript) {
    auto b = Parse(L"If False Then\n Sub A\n End Sub\n Class C\n End Class\nEnd If\n"
                   L"For i = 1 To 2\n Function F\n F = 1\n End Function\nNext\n"
                   L"Sub A\n x = 2\nEnd Sub\n");
    ASSERT_EQ(b->procedures.size(), 3u);
    EXPECT_EQ(b->procedures[0]->lower, L"a");
    EXPECT_EQ(b->procedures[2]->lower, L"a");  // the later one replaces it when the block is added
    EXPECT_EQ(b->procedures[2]->body.size(), 1u);
    EXPECT_EQ(b->classes.size(), 1u);
    EXPECT_EQ(ParseError(L"If c Then Sub A\nEnd Sub").description, L"Syntax error: 'Sub' cannot be declared here");
}

TEST(Parser, SignsBindTighterThanPowers) {
    auto b = Parse(L"x = -3 ^ 2\ny = 1 >< 2\n");
    const Expr& power = *b->code[0]->value;
    ASSERT_EQ(power.kind, ExprKind::Binary);
    EXPECT_EQ(power.op, Op::Pow);
    EXPECT_EQ(power.left->kind, ExprKind::Unary);
    EXPECT_EQ(b->code[1]->value->op, Op::Ne);
}
