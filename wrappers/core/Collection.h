#pragma once
// The collection that selectedItems returns: item indices (or appended objects), with
// a shared enumeration position and stream persistence.
//
//   Microsoft::WRL::ComPtr<Collection> items = Collection::create();
//   items->append(3);
//   items->toVariant(pVal);   // VT_DISPATCH
#include "wrappers.h"
#include "common/ApartmentRef.h"
#include "common/FreeThreaded.h"
#include "wrappers/core/Dispatch.h"
#include "wrappers/core/WrappersModule.h"
#include <objidl.h>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>
#include <wrl/client.h>

namespace wrappers {

// Free-threaded, like the wrappers that hand it out; it is also its own enumerator.
class Collection final
    : public common::FreeThreaded<DispatchImpl<ICollection>, IEnumVARIANT, common::WithBases<IPersistStream, IPersist>> {
public:
    static Microsoft::WRL::ComPtr<Collection> create();

    void append(LONG index);
    // Hands the collection to a caller as a VT_DISPATCH VARIANT.
    void toVariant(VARIANT* out);

    // ICollection
    STDMETHODIMP get_item(VARIANT Index, VARIANT* pVal) override;
    STDMETHODIMP get_count(LONG* pVal) override;
    STDMETHODIMP get__NewEnum(IUnknown** pVal) override;
    STDMETHODIMP add(IUnknown* pVal) override;

    // IEnumVARIANT
    STDMETHODIMP Next(ULONG celt, VARIANT* rgVar, ULONG* pCeltFetched) override;
    STDMETHODIMP Skip(ULONG celt) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumVARIANT** ppEnum) override;

    // IPersistStream
    STDMETHODIMP GetClassID(CLSID* pClassID) override;
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP Load(IStream* pStm) override;
    STDMETHODIMP Save(IStream* pStm, BOOL fClearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* pcbSize) override;

private:
    // An element is an index, or an object appended with add (held so that any
    // apartment reading the collection can reach it).
    struct Element {
        LONG index = 0;
        std::shared_ptr<common::ApartmentRef<IUnknown>> object;
    };
    static Element objectElement(IUnknown* object);

    Collection();
    ~Collection() override = default;
    void elementToVariant(const Element& element, VARIANT* out) const;

    common::ModuleHold module_;
    std::mutex mutex_;
    std::vector<Element> elements_;
    size_t position_ = 0;
};

} // namespace wrappers
