#pragma once
#include "common/ComError.h"
#include "debugservices/FreeThreadedObject.h"
#include <memory>
#include <mutex>
#include <vector>

namespace debugservices {

// An enumerator over a fixed snapshot of interface pointers (threads, nodes, code
// contexts). Clones share the snapshot and copy the position.
template <typename EnumInterface, typename Item>
class InterfaceEnum : public FreeThreadedObject<EnumInterface> {
public:
    using Items = std::vector<Microsoft::WRL::ComPtr<Item>>;

    explicit InterfaceEnum(std::shared_ptr<const Items> items, size_t position = 0)
        : items_(std::move(items)), position_(position) {}

    STDMETHODIMP Next(ULONG count, Item** out, ULONG* fetched) override {
        return common::ComBoundary([&]() -> HRESULT {
            if (fetched) *fetched = 0;
            if (!out || (count > 1 && !fetched)) return E_POINTER;
            std::lock_guard<std::mutex> lock(mutex_);
            ULONG n = 0;
            while (n < count && position_ < items_->size()) {
                Microsoft::WRL::ComPtr<Item> item = (*items_)[position_++];
                out[n++] = item.Detach();
            }
            if (fetched) *fetched = n;
            return n == count ? S_OK : S_FALSE;
        });
    }
    STDMETHODIMP Skip(ULONG count) override {
        std::lock_guard<std::mutex> lock(mutex_);
        size_t left = items_->size() - position_;
        if (count > left) {
            position_ = items_->size();
            return S_FALSE;
        }
        position_ += count;
        return S_OK;
    }
    STDMETHODIMP Reset() override {
        std::lock_guard<std::mutex> lock(mutex_);
        position_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(EnumInterface** out) override {
        return common::ComBoundary([&]() -> HRESULT {
            if (!out) return E_POINTER;
            std::lock_guard<std::mutex> lock(mutex_);
            *out = new InterfaceEnum(items_, position_);
            return S_OK;
        });
    }

private:
    std::shared_ptr<const Items> items_;
    std::mutex mutex_;
    size_t position_;
};

} // namespace debugservices
