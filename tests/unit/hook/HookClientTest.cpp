// The caller side of cross-process access against the controls application.
#include "tests/unit/hook/ControlsTarget.h"
#include "common/Bstr.h"
#include "common/ComInit.h"
#include "wrappers/hook/RemoteBuffer.h"
#include "wrappers/hook/RemoteInterface.h"
#include "wrappers/hook/RemoteSession.h"
#include "wrappers/hook/SendRemote.h"
#include <gtest/gtest.h>
#include <oaidl.h>
#include <tom.h>
#include <wrl/client.h>
#include <cstring>
#include <string>

using Microsoft::WRL::ComPtr;
using testing_hook::ControlsTarget;
using wrappers::HookChannel;
using wrappers::RemoteBuffer;
using wrappers::RemoteError;
using wrappers::RemoteProcess;

namespace {

const IID kIidTextDocument = {0x8CC497C0, 0xA1DF, 0x11CE, {0x80, 0x98, 0x00, 0xAA, 0x00, 0x47, 0xBE, 0x5D}};

class HookClient : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(target.ready()) << "controls.exe showed no dialog";
        ASSERT_TRUE(target.hook());
        channel = HookChannel{target.dialog(), target.processId()};
    }

    ControlsTarget target;
    HookChannel channel;
};

TEST_F(HookClient, BufferRoundTripsDataAndIsGoneAfterwards) {
    const int handles = target.handlesToUs();
    ULONG_PTR address = 0;
    {
        RemoteBuffer buffer(channel, 256);
        address = buffer.address();
        ASSERT_NE(address, 0u);
        const char text[] = "round trip";
        buffer.write(text, sizeof text, 100);
        char back[sizeof text] = {};
        buffer.read(back, sizeof back, 100);
        EXPECT_STREQ(back, text);
    }
    MEMORY_BASIC_INFORMATION info{};
    ::VirtualQueryEx(target.process(), reinterpret_cast<void*>(address), &info, sizeof info);
    EXPECT_EQ(info.State, static_cast<DWORD>(MEM_FREE));
    EXPECT_EQ(target.handlesToUs(), handles);
}

TEST_F(HookClient, SharedBufferIsTheTargetsMemoryAndIsGoneAfterwards) {
    const int handles = target.handlesToUs();
    ULONG_PTR address = 0;
    {
        RemoteProcess process(channel);
        RemoteBuffer buffer(process, 256, wrappers::SharedWithCaller{});
        EXPECT_TRUE(buffer.shared());
        address = buffer.address();
        const char text[] = "shared";
        buffer.write(text, sizeof text, 200);
        char there[sizeof text] = {};
        SIZE_T done = 0;
        ASSERT_TRUE(::ReadProcessMemory(target.process(), reinterpret_cast<void*>(address + 200), there, sizeof there,
                                        &done));
        EXPECT_STREQ(there, text);
        EXPECT_THROW(buffer.write(text, sizeof text, 251), RemoteError);
        char back[sizeof text] = {};
        buffer.read(back, sizeof back, 200);
        EXPECT_STREQ(back, text);
    }
    MEMORY_BASIC_INFORMATION info{};
    ::VirtualQueryEx(target.process(), reinterpret_cast<void*>(address), &info, sizeof info);
    EXPECT_EQ(info.State, static_cast<DWORD>(MEM_FREE));
    EXPECT_EQ(target.handlesToUs(), handles);
}

TEST_F(HookClient, BufferRefusesBadSizesAndAccessOutsideItself) {
    EXPECT_THROW(RemoteBuffer(channel, 0), RemoteError);
    EXPECT_THROW(RemoteBuffer(channel, kOstrelMaxBlockSize + 1), RemoteError);
    RemoteBuffer buffer(channel, 16);
    char data[32] = {};
    EXPECT_THROW(buffer.write(data, 17), RemoteError);
    EXPECT_THROW(buffer.write(data, 1, 16), RemoteError);
    EXPECT_THROW(buffer.read(data, 8, ~size_t(0) - 2), RemoteError);
    EXPECT_NO_THROW(buffer.read(data, 16));
}

TEST_F(HookClient, NoHookOrNoWindowGivesAnErrorAndLeavesNothingBehind) {
    target.unhook();
    const int handles = target.handlesToUs();
    try {
        RemoteBuffer buffer(channel, 16);
        FAIL() << "allocated without a hook";
    } catch (const RemoteError& e) {
        EXPECT_FALSE(e.message().empty());
    }
    EXPECT_EQ(target.handlesToUs(), handles) << "the duplicated handle leaked into the target";
    LRESULT result = 42;
    EXPECT_FALSE(wrappers::sendRemote(channel, target.control(IDC_SINGLE_LIST), LB_GETCOUNT, 0, 0, false, &result));
    EXPECT_EQ(result, 0);

    EXPECT_THROW(RemoteProcess(HookChannel{nullptr, 0}), RemoteError);
    // A process id that does not own the window: a reused handle must not get requests.
    EXPECT_THROW(RemoteProcess(HookChannel{target.dialog(), ::GetCurrentProcessId()}), RemoteError);
}

TEST_F(HookClient, SendRemoteReturnsTheResultAndCarriesRemoteText) {
    HWND list = target.control(IDC_SINGLE_LIST);
    LRESULT count = 0;
    ASSERT_TRUE(wrappers::sendRemote(channel, list, LB_GETCOUNT, 0, 0, false, &count));
    EXPECT_EQ(count, 5);

    RemoteProcess process(channel);
    RemoteBuffer text(process, 64);
    EXPECT_EQ(wrappers::sendRemote(process, list, LB_GETTEXT, 2, text.lparam(), false), 6);
    char back[64] = {};
    text.read(back, sizeof back);
    EXPECT_STREQ(back, "cherry");
    EXPECT_EQ(wrappers::sendDirect(list, LB_GETCURSEL, 0, 0), LB_ERR);
}

// A binding's session keeps one block for its synchronous requests: reused, grown when
// a request needs more, and freed (with the handle the target holds) when it ends.
TEST_F(HookClient, SessionReusesOneBlockGrowsItAndFreesItAtTheEnd) {
    const int handles = target.handlesToUs();
    HWND list = target.control(IDC_SINGLE_LIST);
    ULONG_PTR first = 0, grown = 0;
    auto isFree = [&](ULONG_PTR address) {
        MEMORY_BASIC_INFORMATION info{};
        ::VirtualQueryEx(target.process(), reinterpret_cast<void*>(address), &info, sizeof info);
        return info.State == MEM_FREE;
    };
    {
        auto session = std::make_shared<wrappers::RemoteSession>(channel);
        {
            wrappers::RemoteSession::Lease lease(session, 64);
            first = lease.address();
            char text[64] = {};
            EXPECT_EQ(lease.sendWith(list, LB_GETTEXT, 2, static_cast<LPARAM>(lease.address()), nullptr, 0, text,
                                     sizeof text),
                      6);
            EXPECT_STREQ(text, "cherry");
            // Data goes over with the request and comes back in the same call.
            const char item[] = "added through the session";
            const LRESULT index = lease.send(list, LB_ADDSTRING, 0, item, sizeof item, nullptr, 0);
            EXPECT_EQ(wrappers::sendDirect(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0),
                      static_cast<LRESULT>(sizeof item - 1));
            wrappers::sendDirect(list, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
        }
        {
            wrappers::RemoteSession::Lease lease(session, 16);
            EXPECT_EQ(lease.address(), first);
        }
        {
            wrappers::RemoteSession::Lease lease(session, 64 * 1024);
            grown = lease.address();
            EXPECT_GE(lease.size(), 64u * 1024);
        }
        // One block at a time: the smaller one went, with the handle it lent the target.
        EXPECT_FALSE(isFree(grown));
        EXPECT_EQ(target.handlesToUs(), handles + 1);
    }
    EXPECT_TRUE(isFree(grown));
    EXPECT_EQ(target.handlesToUs(), handles);

    // Without the hook a request is not carried out, and says so.
    target.unhook();
    auto session = std::make_shared<wrappers::RemoteSession>(channel);
    EXPECT_THROW(wrappers::RemoteSession::Lease(session, 16), RemoteError);
}

TEST_F(HookClient, PostedMessageDoesNotWaitForAModalDialog) {
    LRESULT result = 1;
    ASSERT_TRUE(wrappers::sendRemote(channel, target.control(IDC_OPEN_MODAL), BM_CLICK, 0, 0, true, &result));
    HWND modal = testing_hook::WaitForTitledWindow(target.processId(), L"Modal Dialog", 10000);
    ASSERT_NE(modal, nullptr);
    ::PostMessageW(modal, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(target.waitForLog("modal closed"));
}

TEST_F(HookClient, RichEditDocumentCrossesIntoTheCaller) {
    const common::ComInit apartment(COINIT_MULTITHREADED);
    ASSERT_TRUE(apartment.succeeded());
    {
        ComPtr<IUnknown> object =
            wrappers::requestRemoteInterface(channel, g_nMsgGetRichEditInterface, target.control(IDC_RICHEDIT));
        ASSERT_TRUE(object);
        ComPtr<ITextDocument> document;
        ASSERT_TRUE(SUCCEEDED(object->QueryInterface(kIidTextDocument, reinterpret_cast<void**>(document.GetAddressOf()))));
        ComPtr<ITextRange> range;
        ASSERT_TRUE(SUCCEEDED(document->Range(0, 9, &range)));
        common::Bstr text;
        ASSERT_TRUE(SUCCEEDED(range->GetText(text.put())));
        EXPECT_EQ(text.str(), L"rich text");

        // A plain edit control has no text document: no object, no failure.
        EXPECT_FALSE(wrappers::requestRemoteInterface(channel, g_nMsgGetRichEditInterface, target.control(IDC_EDIT)));
    }
}

TEST_F(HookClient, WindowDataObjectCrossesIntoTheCaller) {
    const common::ComInit apartment(COINIT_MULTITHREADED);
    ASSERT_TRUE(apartment.succeeded());
    {
        ComPtr<IUnknown> object = wrappers::requestRemoteInterface(channel, g_nMsgUnknownFromWndData, target.dialog());
        ASSERT_TRUE(object);
        ComPtr<IDispatch> data;
        ASSERT_TRUE(SUCCEEDED(object.As(&data)));
        DISPPARAMS none{};
        VARIANT value;
        ::VariantInit(&value);
        ASSERT_TRUE(SUCCEEDED(data->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr)));
        ASSERT_EQ(value.vt, VT_BSTR);
        EXPECT_STREQ(value.bstrVal, L"controls data");
        ::VariantClear(&value);

        EXPECT_FALSE(wrappers::requestRemoteInterface(channel, g_nMsgUnknownFromWndData, target.control(IDC_EDIT)));
        // A window of another process is not served.
        EXPECT_FALSE(wrappers::requestRemoteInterface(channel, g_nMsgUnknownFromWndData, ::GetDesktopWindow()));
    }
}

TEST(Unmarshal, BytesThatAreNoMarshalledInterfaceGiveNoObject) {
    const common::ComInit apartment(COINIT_MULTITHREADED);
    ASSERT_TRUE(apartment.succeeded());
    EXPECT_FALSE(wrappers::unmarshalUnknown({}));
    std::vector<BYTE> garbage(300, 0xAB);
    EXPECT_FALSE(wrappers::unmarshalUnknown(garbage));
}

TEST_F(HookClient, TargetThatEndedGivesErrorsNotHangs) {
    RemoteProcess process(channel);
    ::TerminateProcess(target.process(), 3);
    ASSERT_EQ(::WaitForSingleObject(target.process(), 10000), WAIT_OBJECT_0);
    EXPECT_THROW(RemoteBuffer(process, 16), RemoteError);
    EXPECT_THROW(RemoteProcess{channel}, RemoteError);
    EXPECT_THROW(wrappers::sendDirect(target.control(IDC_SINGLE_LIST), LB_GETCOUNT, 0, 0), RemoteError);
    EXPECT_FALSE(wrappers::sendRemote(channel, target.control(IDC_SINGLE_LIST), LB_GETCOUNT, 0, 0, false, nullptr));
}

} // namespace
