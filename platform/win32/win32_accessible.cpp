// What a screen reader is told of a control beyond its window's own text and class, through
// oleacc's dynamic annotation (IAccPropServices), which oleacc and UI Automation both read. It
// is reached through COM in the GUI thread, set up when first needed. Where it cannot be had
// (Wine answers E_NOTIMPL), the controls keep what Windows derives for them.
#include <oleacc.h>
#include <windows.h>

#include <string>

#include "win32_com.h"
#include "win32_native.h"

namespace {

// oleacc's and UI Automation's identifiers, written out: MinGW's headers lack the last, and
// these need no import library.
constexpr GUID AccPropServicesClass{0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr GUID AccPropServicesInterface{0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr GUID NameProperty{0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};
constexpr GUID LiveSettingProperty{0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr LONG LivePolite = 1, LiveAssertive = 2;

// Made once, in the GUI thread, for the rest of the run; null where it cannot be had.
IAccPropServices* Services() {
    static win32::ComPtr<IAccPropServices> services;
    [[maybe_unused]] static const bool tried = [] {
        const auto create = win32::CreateInstanceFunction();
        return win32::GuiThreadCom() && create != nullptr &&
               SUCCEEDED(create(AccPropServicesClass, nullptr, CLSCTX_INPROC_SERVER, AccPropServicesInterface,
                                services.OutVoid()));
    }();
    return services.get();
}

}  // namespace

bool win32::AnnotateName(HWND control, const std::wstring& name) {
    IAccPropServices* services = Services();
    return services != nullptr && SUCCEEDED(services->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT),
                                                                     CHILDID_SELF, NameProperty, name.c_str()));
}

bool win32::AnnotateLiveSetting(HWND control, bool assertive) {
    IAccPropServices* services = Services();
    VARIANT setting{};
    setting.vt = VT_I4;
    setting.lVal = assertive ? LiveAssertive : LivePolite;
    return services != nullptr && SUCCEEDED(services->SetHwndProp(control, static_cast<DWORD>(OBJID_CLIENT),
                                                                  CHILDID_SELF, LiveSettingProperty, setting));
}

void win32::ClearAnnotations(HWND control) {
    static const MSAAPROPID properties[] = {NameProperty, LiveSettingProperty};
    if (IAccPropServices* services = Services()) {
        services->ClearHwndProps(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, properties, 2);
    }
}
