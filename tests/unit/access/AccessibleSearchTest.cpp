// The accessible search and child resolution of the wrappers over accessible trees of
// this process (the accessible test application's node class), where a tree can be
// shaped as a faulty server would shape it.
#include "AccNode.h"
#include "common/ComInit.h"
#include "wrappers/core/WrapperCore.h"
#include "wrappers/core/WrapperFactory.h"
#include <gtest/gtest.h>
#include <oleacc.h>
#include <optional>

using accapp::AccNode;
using Microsoft::WRL::ComPtr;

namespace {

class ComApartment : public ::testing::Environment {
public:
    void SetUp() override { apartment_.emplace(COINIT_APARTMENTTHREADED); }
    void TearDown() override { apartment_.reset(); }

private:
    std::optional<common::ComInit> apartment_;
};
::testing::Environment* const g_com = ::testing::AddGlobalTestEnvironment(new ComApartment);

AccNode* Node(LONG role, const wchar_t* name) { return new AccNode(role, name, 0, nullptr, nullptr); }

VARIANT Id(long n) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = n;
    return v;
}

// A wrapper standing for `root`, as a role property makes one.
ComPtr<IWNDWrapper> WrapperOf(AccNode* root) {
    wrappers::WrapperObject* object = wrappers::makeUnboundWrapper(wrappers::WrapperKind::Wnd);
    ComPtr<IWNDWrapper> wrapper;
    wrapper.Attach(object->wrapperInterface());
    ComPtr<IAccessible> accessible(root);
    object->core().bindToAccessible(accessible);
    return wrapper;
}

std::wstring NameOf(IDispatch* object) {
    ComPtr<IAccessible> accessible;
    if (!object || FAILED(object->QueryInterface(IID_PPV_ARGS(&accessible)))) return L"<none>";
    BSTR name = nullptr;
    accessible->get_accName(Id(CHILDID_SELF), &name);
    std::wstring text = name ? name : L"";
    ::SysFreeString(name);
    return text;
}

struct Tree {
    // window "Root": grouping "A" { push button "One" }, grouping "B" { push button "Two" },
    // list "L" with the simple elements "x" and "y" (push buttons)
    Tree() {
        root = Node(ROLE_SYSTEM_WINDOW, L"Root");
        a = Node(ROLE_SYSTEM_GROUPING, L"A");
        b = Node(ROLE_SYSTEM_GROUPING, L"B");
        a->addChild(Node(ROLE_SYSTEM_PUSHBUTTON, L"One"));
        b->addChild(Node(ROLE_SYSTEM_PUSHBUTTON, L"Two"));
        list = Node(ROLE_SYSTEM_LIST, L"L");
        list->addElement({L"x", ROLE_SYSTEM_PUSHBUTTON, 0});
        list->addElement({L"y", ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_CHECKED});
        root->addChild(a);
        root->addChild(b);
        root->addChild(list);
    }
    ~Tree() { root->Release(); }
    AccNode* root;
    AccNode* a;
    AccNode* b;
    AccNode* list;
};

TEST(AccessibleSearch, CountsObjectsAndSimpleElementsDepthFirst) {
    Tree tree;
    ComPtr<IWNDWrapper> wrapper = WrapperOf(tree.root);
    const wchar_t* expected[] = {L"One", L"Two", L"L", L"L"};  // elements stand for their list
    for (long i = 0; i < 4; ++i) {
        ComPtr<IDispatch> found;
        ASSERT_EQ(wrapper->get_accPushButton(Id(i), &found), S_OK) << i;
        EXPECT_EQ(NameOf(found.Get()), expected[i]) << i;
    }
    ComPtr<IDispatch> none;
    EXPECT_EQ(wrapper->get_accPushButton(Id(4), &none), HRESULT_FROM_WIN32(ERROR_NOT_FOUND));
    EXPECT_FALSE(none);
}

TEST(AccessibleSearch, EndsOnTreesThatListAnAncestorAmongTheChildren) {
    Tree tree;
    // Both groupings list the root again: every level would double the objects to visit.
    tree.root->AddRef();
    tree.a->addChild(tree.root, false);
    tree.root->AddRef();
    tree.b->addChild(tree.root, false);
    ComPtr<IWNDWrapper> wrapper = WrapperOf(tree.root);
    ComPtr<IDispatch> found;
    EXPECT_EQ(wrapper->get_accCheckButton(Id(0), &found), HRESULT_FROM_WIN32(ERROR_NOT_FOUND));
    VARIANT_BOOL exists = VARIANT_TRUE;
    VARIANT name;
    ::VariantInit(&name);
    name.vt = VT_BSTR;
    name.bstrVal = ::SysAllocString(L"Two");
    EXPECT_EQ(wrapper->get_accExists(name, ROLE_SYSTEM_PUSHBUTTON, &exists), S_OK);
    EXPECT_EQ(exists, VARIANT_TRUE);
    ::VariantClear(&name);
    // The cycle keeps these nodes until the process ends.
}

TEST(AccessibleSearch, AccChildByNameGivesTheChildObject) {
    Tree tree;
    ComPtr<IWNDWrapper> wrapper = WrapperOf(tree.root);
    VARIANT name;
    ::VariantInit(&name);
    name.vt = VT_BSTR;
    name.bstrVal = ::SysAllocString(L"\\B");
    ComPtr<IDispatch> child;
    EXPECT_EQ(wrapper->get_accChild(name, &child), S_OK);
    EXPECT_EQ(NameOf(child.Get()), L"B");
    ::VariantClear(&name);

    // A simple element has no object of its own.
    ComPtr<IWNDWrapper> list = WrapperOf(tree.list);
    ComPtr<IDispatch> element;
    EXPECT_EQ(list->get_accChild(Id(2), &element), S_FALSE);
    EXPECT_FALSE(element);
    VARIANT_BOOL checked = VARIANT_FALSE;
    name.vt = VT_BSTR;
    name.bstrVal = ::SysAllocString(L"y");
    EXPECT_EQ(list->get_accIsChecked(name, &checked), S_OK);
    EXPECT_EQ(checked, VARIANT_TRUE);
    ::VariantClear(&name);
}

} // namespace
