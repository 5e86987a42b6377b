#include "wrappers/hook/RemoteSession.h"
#include "ostrel/ostrel.h"
#include "wrappers/hook/SendRemote.h"
#include <algorithm>
#include <cstring>
#include <vector>

namespace wrappers {

// The request block first, the message's data after it on a 16-byte boundary.
const size_t RemoteSession::kDataOffset = (sizeof(OstrelRequest) + 15) / 16 * 16;

RemoteProcess& RemoteSession::process() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!process_) process_ = std::make_unique<RemoteProcess>(channel_);
    return *process_;
}

RemoteSession::Lease::Lease(std::shared_ptr<RemoteSession> session, size_t dataBytes)
    : session_(std::move(session)), lock_(session_->mutex_) {
    RemoteProcess& target = session_->process();
    if (!session_->block_ || session_->block_->size() < kDataOffset + dataBytes) {
        session_->block_.reset();
        session_->block_ =
            std::make_unique<RemoteBuffer>(target, kDataOffset + std::max(dataBytes, kInitialDataBytes), SharedWithCaller{});
    }
}

void RemoteSession::Lease::write(const void* data, size_t bytes, size_t offset) {
    if (offset > size()) throw RemoteError(L"Write outside a block in the application");
    session_->block_->write(data, bytes, kDataOffset + offset);
}

void RemoteSession::Lease::read(void* data, size_t bytes, size_t offset) const {
    if (offset > size()) throw RemoteError(L"Read outside a block in the application");
    session_->block_->read(data, bytes, kDataOffset + offset);
}

LRESULT RemoteSession::Lease::send(HWND target, UINT msg, WPARAM wParam, const void* data, size_t dataBytes,
                                   void* back, size_t backBytes) {
    return sendWith(target, msg, wParam, static_cast<LPARAM>(address()), data, dataBytes, back, backBytes);
}

LRESULT RemoteSession::Lease::sendWith(HWND target, UINT msg, WPARAM wParam, LPARAM lParam, const void* data,
                                       size_t dataBytes, void* back, size_t backBytes) {
    if (dataBytes > size() || backBytes > size()) throw RemoteError(L"Invalid size of a block in the application");
    RemoteBuffer& block = *session_->block_;
    // Request and data go over in one copy, and come back in one.
    std::vector<char> buffer(kDataOffset + std::max(dataBytes, backBytes), '\0');
    OstrelRequest request{};
    request.window = reinterpret_cast<ULONG_PTR>(target);
    request.message = msg;
    request.wParam = static_cast<ULONG_PTR>(wParam);
    request.lParam = static_cast<LONG_PTR>(lParam);
    std::memcpy(buffer.data(), &request, sizeof request);
    if (dataBytes) std::memcpy(buffer.data() + kDataOffset, data, dataBytes);
    block.write(buffer.data(), kDataOffset + dataBytes);

    deliverHookRequest(process().channel().hookedWindow, block.lparam(), false);

    block.read(buffer.data(), kDataOffset + backBytes);
    std::memcpy(&request, buffer.data(), sizeof request);
    // The hook marks a request it carried out; an unmarked one never reached the control.
    if (request.unused[0] != 1) throw RemoteError(L"The message could not be delivered to the control");
    if (backBytes) std::memcpy(back, buffer.data() + kDataOffset, backBytes);
    return static_cast<LRESULT>(request.wParam);
}

} // namespace wrappers
