#include "wrappers/sync/Synchronizer.h"
#include "common/Bstr.h"
#include "common/ComObject.h"
#include "wrappers/core/ClassFactory.h"
#include "wrappers/core/WrapperError.h"
#include <mshtml.h>

using Microsoft::WRL::ComPtr;

namespace wrappers {
namespace {

const DWORD kReadyStatePause = 200;
const int kReadyStateReads = 10000;

bool isComplete(BSTR state) { return state && ::lstrcmpiW(state, L"complete") == 0; }

// Polls one document; false when it could not be reached (the entry is dropped).
bool waitForDocument(const common::ApartmentRef<IDispatch>& entry) {
    ComPtr<IDispatch> object = entry.get();
    ComPtr<IHTMLDocument2> document;
    if (!object || FAILED(object.As(&document))) return false;
    for (int read = 0; read < kReadyStateReads; ++read) {
        common::Bstr state;
        if (FAILED(document->get_readyState(state.put()))) return false;
        if (isComplete(state.get())) break;
        ::Sleep(kReadyStatePause);
    }
    return true;
}

} // namespace

// The class factory keeps one reference for the life of the process; while anyone else
// holds the object the library must stay loaded, so those references count in the
// module lock.
Synchronizer::Synchronizer() { countOutsideReferencesIn(WrappersModule::locks()); }

STDMETHODIMP Synchronizer::synchronize() {
    return WrapperCall([&] {
        // Entries are visited by position: the list may grow meanwhile (another thread's
        // add_mshtml), and a wait must not hold the lock.
        for (size_t i = 0;;) {
            std::shared_ptr<common::ApartmentRef<IDispatch>> entry;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (i >= documents_.size()) break;
                entry = documents_[i];
            }
            if (waitForDocument(*entry)) {
                ++i;
                continue;
            }
            std::lock_guard<std::mutex> lock(mutex_);
            if (i < documents_.size() && documents_[i] == entry) documents_.erase(documents_.begin() + static_cast<ptrdiff_t>(i));
        }
        return S_OK;
    });
}

STDMETHODIMP Synchronizer::add_mshtml(IDispatch* pDisp) {
    return WrapperCall([&] {
        if (!pDisp) return E_POINTER;
        auto entry = std::make_shared<common::ApartmentRef<IDispatch>>();
        entry->reset(pDisp, true);
        std::lock_guard<std::mutex> lock(mutex_);
        documents_.push_back(std::move(entry));
        return S_OK;
    });
}

STDMETHODIMP Synchronizer::get_async(VARIANT_BOOL* pVal) {
    if (!pVal) return E_POINTER;
    *pVal = async_ ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

STDMETHODIMP Synchronizer::put_async(VARIANT_BOOL newVal) {
    async_ = newVal != VARIANT_FALSE;
    return S_OK;
}

STDMETHODIMP Synchronizer::InterfaceSupportsErrorInfo(REFIID riid) {
    return riid == IID_ISynchronizer ? S_OK : S_FALSE;
}

size_t Synchronizer::documentCount() {
    std::lock_guard<std::mutex> lock(mutex_);
    return documents_.size();
}

namespace {

// Holds the one Synchronizer, built with the factory; hands out only that object.
class SynchronizerFactory final : public ClassFactoryBase {
public:
    SynchronizerFactory() {
        try {
            object_ = common::Adopt(new Synchronizer());
            built_ = S_OK;
        } catch (...) {
            built_ = E_OUTOFMEMORY;
        }
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        if (FAILED(built_)) return built_;
        return object_->QueryInterface(riid, ppv);
    }

private:
    HRESULT built_ = E_UNEXPECTED;
    ComPtr<Synchronizer> object_;
};

} // namespace

HRESULT getSynchronizerClassObject(REFIID riid, void** ppv) {
    // One factory for the process, so one Synchronizer for every apartment and caller.
    static SynchronizerFactory* factory = new SynchronizerFactory();
    return factory->QueryInterface(riid, ppv);
}

} // namespace wrappers
