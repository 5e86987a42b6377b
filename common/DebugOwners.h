#pragma once
// Owners of the structures the Active Script Debugging enumerators fill: each holds
// references and strings its reader must give back.
#include "common/Bstr.h"
#include "common/ComObject.h"
#include "common/ScriptingGuids.h"
#include <cstddef>
#include <utility>
#include <vector>

namespace common {

// One frame as IEnumDebugStackFrames::Next hands it out: the frame and the final object
// are released on destruction and before every reuse.
class StackFrameDescriptor {
public:
    StackFrameDescriptor() = default;
    StackFrameDescriptor(const StackFrameDescriptor&) = delete;
    StackFrameDescriptor& operator=(const StackFrameDescriptor&) = delete;
    ~StackFrameDescriptor() { reset(); }

    DebugStackFrameDescriptor* put() {
        reset();
        return &descriptor_;
    }
    const DebugStackFrameDescriptor* operator->() const { return &descriptor_; }
    IDebugStackFrame* frame() const { return descriptor_.pdsf; }

    // Take over the references; the descriptor keeps null in their place.
    Microsoft::WRL::ComPtr<IDebugStackFrame> takeFrame() { return Adopt(std::exchange(descriptor_.pdsf, nullptr)); }
    Microsoft::WRL::ComPtr<IUnknown> takeFinal() { return Adopt(std::exchange(descriptor_.punkFinal, nullptr)); }

    void reset() {
        if (descriptor_.pdsf) descriptor_.pdsf->Release();
        if (descriptor_.punkFinal) descriptor_.punkFinal->Release();
        descriptor_ = DebugStackFrameDescriptor{};
    }

private:
    DebugStackFrameDescriptor descriptor_{};
};

// Records as IEnumDebugPropertyInfo::Next or IDebugProperty::GetPropertyInfo fill them:
// their strings are freed and their properties released on destruction and before every
// reuse.
class PropertyInfos {
public:
    explicit PropertyInfos(size_t count = 1) : infos_(count) {}
    PropertyInfos(const PropertyInfos&) = delete;
    PropertyInfos& operator=(const PropertyInfos&) = delete;
    ~PropertyInfos() { clear(); }

    // Room for size() records.
    DebugPropertyInfo* put() {
        clear();
        return infos_.data();
    }
    size_t size() const { return infos_.size(); }
    const DebugPropertyInfo& operator[](size_t i) const { return infos_[i]; }

    std::wstring name(size_t i) const { return BstrText(infos_[i].m_bstrName); }
    std::wstring type(size_t i) const { return BstrText(infos_[i].m_bstrType); }
    std::wstring value(size_t i) const { return BstrText(infos_[i].m_bstrValue); }
    std::wstring fullName(size_t i) const { return BstrText(infos_[i].m_bstrFullName); }
    Microsoft::WRL::ComPtr<IDebugProperty> takeProperty(size_t i) {
        return Adopt(std::exchange(infos_[i].m_pDebugProp, nullptr));
    }

    void clear() {
        for (DebugPropertyInfo& info : infos_) {
            ::SysFreeString(info.m_bstrName);
            ::SysFreeString(info.m_bstrType);
            ::SysFreeString(info.m_bstrValue);
            ::SysFreeString(info.m_bstrFullName);
            if (info.m_pDebugProp) info.m_pDebugProp->Release();
            info = DebugPropertyInfo{};
        }
    }

private:
    std::vector<DebugPropertyInfo> infos_;
};

} // namespace common
