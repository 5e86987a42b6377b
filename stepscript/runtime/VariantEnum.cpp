#include "stepscript/runtime/VariantEnum.h"
#include <algorithm>

namespace stepscript {

STDMETHODIMP VariantEnum::Next(ULONG count, VARIANT* out, ULONG* fetched) {
    if (!out && count) return E_POINTER;
    ULONG n = 0;
    for (; n < count && next_ < items_->size(); ++n, ++next_) {
        Value copy = (*items_)[next_];
        copy.detach(&out[n]);
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
}

STDMETHODIMP VariantEnum::Skip(ULONG count) {
    size_t left = items_->size() - next_;
    next_ += std::min<size_t>(count, left);
    return count <= left ? S_OK : S_FALSE;
}

STDMETHODIMP VariantEnum::Reset() {
    next_ = 0;
    return S_OK;
}

STDMETHODIMP VariantEnum::Clone(IEnumVARIANT** clone) {
    if (!clone) return E_POINTER;
    *clone = new VariantEnum(items_, next_);
    return S_OK;
}

} // namespace stepscript
