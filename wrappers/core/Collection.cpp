#include "wrappers/core/Collection.h"
#include "common/ComObject.h"
#include "wrappers/core/WrapperError.h"
#include "wrappers/core/WrappersModule.h"
#include <ole2.h>
#include <oleauto.h>

using Microsoft::WRL::ComPtr;

namespace wrappers {

Collection::Collection() : module_(WrappersModule::locks()) {}

ComPtr<Collection> Collection::create() {
    ComPtr<Collection> collection;
    collection = common::Adopt(new Collection());
    return collection;
}

void Collection::append(LONG index) {
    std::lock_guard<std::mutex> lock(mutex_);
    elements_.push_back(Element{index, nullptr});
}

void Collection::toVariant(VARIANT* out) {
    ::VariantInit(out);
    out->vt = VT_DISPATCH;
    out->pdispVal = static_cast<ICollection*>(this);
    AddRef();
}

Collection::Element Collection::objectElement(IUnknown* object) {
    Element element;
    element.object = std::make_shared<common::ApartmentRef<IUnknown>>();
    element.object->reset(object, true);
    return element;
}

void Collection::elementToVariant(const Element& element, VARIANT* out) const {
    ::VariantInit(out);
    if (element.object) {
        // An object this apartment cannot reach reads as empty.
        ComPtr<IUnknown> object = element.object->get();
        if (!object) return;
        ComPtr<IDispatch> dispatch;
        if (SUCCEEDED(object.As(&dispatch))) {
            out->vt = VT_DISPATCH;
            out->pdispVal = dispatch.Detach();
        } else {
            out->vt = VT_UNKNOWN;
            out->punkVal = object.Detach();
        }
        return;
    }
    out->vt = VT_I4;
    out->lVal = element.index;
}

STDMETHODIMP Collection::get_item(VARIANT Index, VARIANT* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        ::VariantInit(pVal);
        VARIANT plain;
        ::VariantInit(&plain);
        if (FAILED(::VariantCopyInd(&plain, &Index))) return E_FAIL;
        LONG index;
        if (plain.vt == VT_I2)
            index = plain.iVal;
        else if (plain.vt == VT_I4)
            index = plain.lVal;
        else
            return (::VariantClear(&plain), E_FAIL);
        std::lock_guard<std::mutex> lock(mutex_);
        if (index < 0 || static_cast<size_t>(index) >= elements_.size()) return E_INVALIDARG;
        elementToVariant(elements_[static_cast<size_t>(index)], pVal);
        return S_OK;
    });
}

STDMETHODIMP Collection::get_count(LONG* pVal) {
    if (!pVal) return E_POINTER;
    std::lock_guard<std::mutex> lock(mutex_);
    *pVal = static_cast<LONG>(elements_.size());
    return S_OK;
}

STDMETHODIMP Collection::get__NewEnum(IUnknown** pVal) {
    if (!pVal) return E_POINTER;
    // The collection is its own enumerator: every enumeration shares one position.
    *pVal = static_cast<IEnumVARIANT*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP Collection::add(IUnknown* pVal) {
    if (!pVal) return E_POINTER;
    Element element = objectElement(pVal);
    std::lock_guard<std::mutex> lock(mutex_);
    elements_.push_back(std::move(element));
    return S_OK;
}

STDMETHODIMP Collection::Next(ULONG celt, VARIANT* rgVar, ULONG* pCeltFetched) {
    if (!rgVar && celt) return E_POINTER;
    std::lock_guard<std::mutex> lock(mutex_);
    ULONG fetched = 0;
    while (fetched < celt && position_ < elements_.size()) {
        elementToVariant(elements_[position_], &rgVar[fetched]);
        ++position_;
        ++fetched;
    }
    if (pCeltFetched) *pCeltFetched = fetched;
    // Only an enumeration that found nothing at all reports the end.
    return fetched == 0 && celt > 0 ? S_FALSE : S_OK;
}

STDMETHODIMP Collection::Skip(ULONG celt) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (elements_.size() - position_ < celt) {
        position_ = elements_.size();
        return S_FALSE;
    }
    position_ += celt;
    return S_OK;
}

STDMETHODIMP Collection::Reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    position_ = 0;
    return S_OK;
}

STDMETHODIMP Collection::Clone(IEnumVARIANT** ppEnum) {
    if (ppEnum) *ppEnum = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP Collection::GetClassID(CLSID* pClassID) {
    if (!pClassID) return E_POINTER;
    *pClassID = CLSID_NULL;
    return S_OK;
}

STDMETHODIMP Collection::IsDirty() { return S_OK; }

// An index element is stored as the null class id followed by its 4 bytes, so that it
// reads back as an index; an object element as OleSaveToStream writes it.
STDMETHODIMP Collection::Save(IStream* pStm, BOOL) {
    if (!pStm) return E_POINTER;
    std::lock_guard<std::mutex> lock(mutex_);
    const LONG count = static_cast<LONG>(elements_.size());
    ULONG written = 0;
    if (FAILED(pStm->Write(&count, sizeof count, &written)) || written != sizeof count) return STG_E_CANTSAVE;
    for (const Element& element : elements_) {
        if (element.object) {
            ComPtr<IUnknown> object = element.object->get();
            ComPtr<IPersistStream> persist;
            HRESULT hr = object ? object.As(&persist) : RPC_E_WRONG_THREAD;
            if (FAILED(hr)) return hr;
            hr = ::OleSaveToStream(persist.Get(), pStm);
            if (FAILED(hr)) return hr;
        } else {
            HRESULT hr = ::WriteClassStm(pStm, CLSID_NULL);
            if (FAILED(hr)) return hr;
            if (FAILED(pStm->Write(&element.index, sizeof element.index, &written)) || written != sizeof element.index)
                return STG_E_CANTSAVE;
        }
    }
    return S_OK;
}

STDMETHODIMP Collection::Load(IStream* pStm) {
    if (!pStm) return E_POINTER;
    LONG count = 0;
    ULONG read = 0;
    if (FAILED(pStm->Read(&count, sizeof count, &read)) || read != sizeof count || count < 0) return STG_E_READFAULT;
    std::vector<Element> loaded;
    for (LONG i = 0; i < count; ++i) {
        CLSID clsid = CLSID_NULL;
        HRESULT hr = ::ReadClassStm(pStm, &clsid);
        if (FAILED(hr)) return hr;
        if (clsid == CLSID_NULL) {
            LONG index = 0;
            if (FAILED(pStm->Read(&index, sizeof index, &read)) || read != sizeof index) return STG_E_READFAULT;
            loaded.push_back(Element{index, nullptr});
            continue;
        }
        // Step back over the class id: OleLoadFromStream reads it itself.
        LARGE_INTEGER back;
        back.QuadPart = -static_cast<LONGLONG>(sizeof(CLSID));
        hr = pStm->Seek(back, STREAM_SEEK_CUR, nullptr);
        if (FAILED(hr)) return hr;
        ComPtr<IUnknown> object;
        hr = ::OleLoadFromStream(pStm, IID_IUnknown, reinterpret_cast<void**>(object.GetAddressOf()));
        if (FAILED(hr)) return hr;
        loaded.push_back(objectElement(object.Get()));
    }
    std::lock_guard<std::mutex> lock(mutex_);
    elements_.insert(elements_.end(), loaded.begin(), loaded.end());
    return S_OK;
}

STDMETHODIMP Collection::GetSizeMax(ULARGE_INTEGER*) { return E_NOTIMPL; }

} // namespace wrappers
