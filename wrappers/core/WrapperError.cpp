#include "wrappers/core/WrapperError.h"
#include <oleauto.h>
#include <wrl/client.h>

namespace wrappers {

void SetErrorText(const std::wstring& message) {
    Microsoft::WRL::ComPtr<ICreateErrorInfo> create;
    if (FAILED(::CreateErrorInfo(&create))) return;
    create->SetSource(const_cast<LPOLESTR>(L"Runtime Error"));
    create->SetDescription(const_cast<LPOLESTR>(message.c_str()));
    Microsoft::WRL::ComPtr<IErrorInfo> info;
    if (SUCCEEDED(create.As(&info))) ::SetErrorInfo(0, info.Get());
}

HRESULT ReportError(const std::wstring& message) {
    SetErrorText(message);
    return E_FAIL;
}

} // namespace wrappers
