// Tevrin.exe /Suite as a CI job runs it: many scripts, each in its own process, a JUnit
// report, screenshots of the failures, time limits and shards.
#include "ProcessRunner.h"
#include "common/Registry.h"
#include "common/TextConv.h"
#include <gtest/gtest.h>
#include <tlhelp32.h>
#include <cstdio>
#include <memory>
#include <set>

namespace {

const wchar_t kCrashProgId[] = L"Tevrin.TestCrash";
const wchar_t kCrashClassKey[] = L"CLSID\\{5B0C9D4E-2F7A-4E41-9B3C-7D1A6E2F8C01}";

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
    return n;
}

std::string ReadAll(const std::wstring& path) {
    std::string bytes;
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file) return bytes;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), file)) > 0) bytes.append(buffer, n);
    std::fclose(file);
    return bytes;
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

size_t ProcessesNamed(const wchar_t* name) {
    size_t n = 0;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL ok = ::Process32FirstW(snapshot, &entry); ok; ok = ::Process32NextW(snapshot, &entry))
        if (::lstrcmpiW(entry.szExeFile, name) == 0) ++n;
    ::CloseHandle(snapshot);
    return n;
}

// The crashing automation object of tests/apps/crashobj, registered for the test only.
class CrashObjectRegistration {
public:
    CrashObjectRegistration() {
        const std::wstring dll = std::wstring(TEVRIN_BIN_DIR) + L"\\crashobj.dll";
        ok_ = common::SetRegString(HKEY_CLASSES_ROOT, kCrashProgId, nullptr, L"Crash") &&
              common::SetRegString(HKEY_CLASSES_ROOT, std::wstring(kCrashProgId) + L"\\CLSID", nullptr,
                                   L"{5B0C9D4E-2F7A-4E41-9B3C-7D1A6E2F8C01}") &&
              common::SetRegString(HKEY_CLASSES_ROOT, std::wstring(kCrashClassKey) + L"\\InprocServer32", nullptr, dll) &&
              common::SetRegString(HKEY_CLASSES_ROOT, std::wstring(kCrashClassKey) + L"\\InprocServer32",
                                   L"ThreadingModel", L"Both");
    }
    ~CrashObjectRegistration() {
        common::DeleteRegTree(HKEY_CLASSES_ROOT, kCrashProgId);
        common::DeleteRegTree(HKEY_CLASSES_ROOT, kCrashClassKey);
    }
    bool ok() const { return ok_; }

private:
    bool ok_ = false;
};

class Suite : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        dir_ = std::wstring(temp) + L"tevrin_suite_" +
               common::AnsiToWide(::testing::UnitTest::GetInstance()->current_test_info()->name()) + L"\\";
        ::CreateDirectoryW(dir_.c_str(), nullptr);
    }

    std::wstring Write(const std::wstring& name, const std::string& text) {
        const std::wstring path = dir_ + name;
        for (size_t slash = path.find(L'\\', dir_.size()); slash != std::wstring::npos;
             slash = path.find(L'\\', slash + 1))
            ::CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
        FILE* file = _wfopen(path.c_str(), L"wb");
        if (file) {
            std::fwrite(text.data(), 1, text.size(), file);
            std::fclose(file);
        }
        return path;
    }

    // A runner per run: a runner keeps the output of every start.
    DWORD RunSuite(const std::wstring& arguments, DWORD timeout = 300000) {
        tevrin_ = std::make_unique<e2e::ProcessRunner>();
        if (!tevrin_->start(L"\"" + e2e::DistPath(L"Tevrin.exe") + L"\" /suite " + arguments))
            return static_cast<DWORD>(-1);
        if (!tevrin_->wait(timeout)) return STILL_ACTIVE;
        return tevrin_->exitCode();
    }
    const std::string& out() const { return tevrin_->output(); }

    std::wstring dir_;
    std::unique_ptr<e2e::ProcessRunner> tevrin_;
};

} // namespace

TEST_F(Suite, SixOutcomesEndInOneReportWithScreenshotsOfTheFailuresOnly) {
    CrashObjectRegistration crash;
    ASSERT_TRUE(crash.ok());
    ASSERT_EQ(ProcessesNamed(L"notepad.exe"), 0u) << "a notepad from before is running";
    Write(L"cases\\a_pass.vbs", "Env.LogInfo \"all good\"\r\n");
    Write(L"cases\\b_logs error.vbs", "Env.LogInfo \"checking\"\r\nEnv.LogError \"wrong <total> & \"\"sum\"\"\"\r\n");
    // Fails half-way, leaving the application it started.
    Write(L"cases\\c_runtime.vbs",
          "Set app = CreateObject(\"Wrappers.WNDWrapper\")\r\n"
          "app.appExecute \"notepad.exe\", \"\\.*Notepad\"\r\n"
          "NoSuchProcedure app\r\n");
    Write(L"cases\\d_syntax.vbs", "If Then Else\r\n");
    Write(L"cases\\sub\\e_hang.vbs",
          "#timeout 8\r\n"
          "Set notepad = CreateObject(\"Wrappers.WNDWrapper\")\r\n"
          "notepad.appExecute \"notepad.exe\", \"\\.*Notepad\"\r\n"
          "Env.LogInfo \"waiting for ever\"\r\n"
          "Do\r\n"
          "Loop\r\n");
    Write(L"cases\\f_crash.vbs", "Env.LogInfo \"calling\"\r\nSet o = CreateObject(\"Tevrin.TestCrash\")\r\no.Boom\r\n");
    Write(L"cases\\_shared\\helper.vbs", "Env.LogError \"a shared file is not a test\"\r\n");
    Write(L"cases\\notes.txt", "not a script\r\n");

    const std::wstring report = std::wstring(TEVRIN_BIN_DIR) + L"\\suite-report.xml";
    ::DeleteFileW(report.c_str());
    const std::wstring shots = dir_ + L"shots";
    ASSERT_EQ(RunSuite(L"\"" + dir_ + L"cases\" /junit \"" + report + L"\" /screenshots \"" + shots + L"\""), 1u)
        << out();
    EXPECT_TRUE(Contains(out(), "Suite: passed a_pass.vbs")) << out();
    EXPECT_TRUE(Contains(out(), "Suite: FAILED b_logs error.vbs")) << out();
    EXPECT_TRUE(Contains(out(), "Suite: 6 scripts, 1 passed, 2 failed, 3 errors")) << out();
    EXPECT_FALSE(Contains(out(), "a shared file is not a test")) << out();
    // The applications of the hanging and the failed script ended with them.
    EXPECT_EQ(ProcessesNamed(L"notepad.exe"), 0u);

    const std::string xml = ReadAll(report);
    ASSERT_FALSE(xml.empty());
    EXPECT_TRUE(Contains(xml, "<testsuite name=\"cases\" tests=\"6\" failures=\"2\" errors=\"3\"")) << xml;
    EXPECT_EQ(Count(xml, "<testcase "), 6u);
    EXPECT_TRUE(Contains(xml, "<testcase name=\"sub\\e_hang.vbs\" classname=\"cases.sub\"")) << xml;
    EXPECT_TRUE(Contains(xml, "<property name=\"tevrin.version\"")) << xml;
    EXPECT_TRUE(Contains(xml, "<property name=\"tevrin.vbsEngine\" value=\"StepScript")) << xml;
    // Messages: the first error record with its file and line, escaped.
    EXPECT_TRUE(Contains(xml, "b_logs error.vbs (2): wrong &lt;total&gt; &amp; &quot;sum&quot;\" type=\"Error\""))
        << xml;
    EXPECT_TRUE(Contains(xml, "c_runtime.vbs (3): ")) << xml;
    EXPECT_TRUE(Contains(xml, "d_syntax.vbs")) << xml;
    EXPECT_TRUE(Contains(xml, "limit of 8 s")) << xml;
    EXPECT_TRUE(Contains(xml, "ended abnormally")) << xml;
    EXPECT_TRUE(Contains(xml, "<system-out>Info: ")) << xml;

    EXPECT_FALSE(Exists(shots + L"\\a_pass.vbs.bmp"));
    for (const wchar_t* failed :
         {L"b_logs error.vbs.bmp", L"c_runtime.vbs.bmp", L"d_syntax.vbs.bmp", L"sub_e_hang.vbs.bmp", L"f_crash.vbs.bmp"}) {
        EXPECT_TRUE(Exists(shots + L"\\" + failed)) << common::WideToAnsi(failed);
        EXPECT_TRUE(Contains(xml, "[[ATTACHMENT|" + common::WideToAnsi(shots + L"\\" + failed) + "]]"));
    }
}

TEST_F(Suite, ThreeShardsRunEveryScriptOnce) {
    for (int i = 0; i < 7; ++i)
        Write(L"many\\s" + std::to_wstring(i) + L".vbs", "Env.LogInfo \"ran s" + std::to_string(i) + "\"\r\n");
    std::multiset<std::string> ran;
    for (int shard = 1; shard <= 3; ++shard) {
        ASSERT_EQ(RunSuite(L"\"" + dir_ + L"many\" /shard " + std::to_wstring(shard) + L"/3"), 0u) << out();
        for (int i = 0; i < 7; ++i)
            if (Contains(out(), "Suite: passed s" + std::to_string(i) + ".vbs")) ran.insert("s" + std::to_string(i));
    }
    EXPECT_EQ(ran.size(), 7u);
    EXPECT_EQ(std::set<std::string>(ran.begin(), ran.end()).size(), 7u);
}

TEST_F(Suite, ListFilesAndStrangePathsRunAndBadInputStopsTheSuite) {
    Write(L"list\\d\u00e9j\u00e0 vu\\one.vbs", "Env.LogInfo \"one\"\r\n");
    Write(L"list\\two.vbs", "Env.LogInfo \"two\"\r\n");
    const std::wstring list = Write(L"list\\suite.txt",
                                    "# the nightly scripts\r\n"
                                    "two.vbs\r\n"
                                    "\r\n"
                                    "missing.vbs\r\n"
                                    "d\xe9j\xe0 vu\\one.vbs\r\n");
    ASSERT_EQ(RunSuite(L"\"" + list + L"\""), 1u) << out();
    EXPECT_TRUE(Contains(out(), "Suite: passed two.vbs")) << out();
    EXPECT_TRUE(Contains(out(), "Suite: passed d\xe9j\xe0 vu\\one.vbs")) << out();
    EXPECT_TRUE(Contains(out(), "missing.vbs")) << out();
    EXPECT_TRUE(Contains(out(), "line 4)")) << out();

    ::CreateDirectoryW((dir_ + L"empty").c_str(), nullptr);
    EXPECT_EQ(RunSuite(L"\"" + dir_ + L"empty\""), 2u);
    EXPECT_TRUE(Contains(out(), "Fatal Error: The suite folder")) << out();
    EXPECT_EQ(RunSuite(L"\"" + dir_ + L"nowhere\""), 2u);
    EXPECT_TRUE(Contains(out(), "Fatal Error: Cannot find the suite")) << out();
    EXPECT_EQ(RunSuite(L"\"" + dir_ + L"list\" /shard 4/3"), 2u);
    EXPECT_TRUE(Contains(out(), "Fatal Error: Bad shard 4/3")) << out();
    EXPECT_EQ(RunSuite(L"\"" + dir_ + L"list\" /frobnicate"), 2u);
    EXPECT_TRUE(Contains(out(), "Fatal Error: Unknown switch /frobnicate")) << out();
}
