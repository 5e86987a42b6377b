// Wrappers.Synchronizer waiting for HTML documents: documents of this process that count
// their readyState reads, and the document that the accessible test application serves.
// Its own binary: the synchronizer is one object per process, and the first test needs
// it with no document registered.
#include "AccAppSession.h"
#include "HtmlDocument.h"
#include <gtest/gtest.h>

using common::Variant;
using e2e::call;
using e2e::CallResult;
using e2e::Narrow;
using Microsoft::WRL::ComPtr;

namespace {

ComPtr<ISynchronizer> NewSynchronizer() {
    ComPtr<ISynchronizer> synchronizer;
    CLSID clsid;
    HRESULT hr = ::CLSIDFromProgID(L"Wrappers.Synchronizer", &clsid);
    if (SUCCEEDED(hr)) hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&synchronizer));
    if (FAILED(hr)) ADD_FAILURE() << "Wrappers.Synchronizer cannot be created: 0x" << std::hex << hr;
    return synchronizer;
}

// A document of this process; released with the test.
struct LocalDocument {
    explicit LocalDocument(long loadingReads, const wchar_t* completeText)
        : document(accapp::HtmlDocument::completingAfterReads(loadingReads, completeText)) {}
    ~LocalDocument() { document->Release(); }
    IDispatch* dispatch() { return static_cast<IHTMLDocument2*>(document); }
    accapp::HtmlDocument* document;
};

TEST(Synchronizer, ReturnsAtOnceWithoutDocuments) {
    ComPtr<ISynchronizer> synchronizer = NewSynchronizer();
    ASSERT_TRUE(synchronizer);
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_EQ(synchronizer->synchronize(), S_OK);
    // One poll of a document already takes 200 ms.
    EXPECT_LT(::GetTickCount64() - start, 150u);
}

TEST(Synchronizer, PollsUntilCompleteIgnoringLetterCase) {
    ComPtr<ISynchronizer> synchronizer = NewSynchronizer();
    ASSERT_TRUE(synchronizer);
    LocalDocument upper(2, L"COMPLETE");
    LocalDocument mixed(1, L"Complete");
    ASSERT_EQ(synchronizer->add_mshtml(upper.dispatch()), S_OK);
    ASSERT_EQ(synchronizer->add_mshtml(mixed.dispatch()), S_OK);
    EXPECT_EQ(synchronizer->synchronize(), S_OK);
    // Every "loading" read is followed by another; the completed one ends the wait.
    EXPECT_EQ(upper.document->readyStateReads(), 3);
    EXPECT_EQ(mixed.document->readyStateReads(), 2);
}

TEST(Synchronizer, DropsAnObjectThatIsNotAnHtmlDocument) {
    ComPtr<ISynchronizer> synchronizer = NewSynchronizer();
    ASSERT_TRUE(synchronizer);
    ComPtr<IDispatch> notADocument = e2e::newWrapper();
    LocalDocument after(1, L"complete");
    ASSERT_EQ(synchronizer->add_mshtml(notADocument.Get()), S_OK);
    ASSERT_EQ(synchronizer->add_mshtml(after.dispatch()), S_OK);
    ::SetErrorInfo(0, nullptr);
    EXPECT_EQ(synchronizer->synchronize(), S_OK);
    ComPtr<IErrorInfo> info;
    EXPECT_NE(::GetErrorInfo(0, &info), S_OK) << "synchronize left error information";
    // The document registered after it was still waited for.
    EXPECT_EQ(after.document->readyStateReads(), 2);
    EXPECT_EQ(synchronizer->synchronize(), S_OK);
}

TEST(Synchronizer, WaitsUntilTheServedDocumentIsComplete) {
    e2e::AccAppSession app(L"Synchronizer Test", 15000);
    ASSERT_TRUE(app.started());
    CallResult document = call(app.root(), L"mshtml");
    ASSERT_EQ(document.hr, S_OK) << Narrow(document.description);
    ASSERT_EQ(call(document.object().Get(), L"readyState").text(), L"loading");

    // As a script calls it: the Synchronizer by its ProgID, through IDispatch.
    ComPtr<ISynchronizer> synchronizer = NewSynchronizer();
    ComPtr<IDispatch> sync;
    ASSERT_TRUE(synchronizer && SUCCEEDED(synchronizer.As(&sync)));
    CallResult waited = call(sync.Get(), L"synchronize", {}, DISPATCH_METHOD);
    EXPECT_EQ(waited.hr, S_OK) << Narrow(waited.description);
    EXPECT_EQ(call(document.object().Get(), L"readyState").text(), L"Complete");
}

} // namespace
