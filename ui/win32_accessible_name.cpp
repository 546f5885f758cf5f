#include "ui/win32_accessible_name.h"

#include <oleacc.h>

namespace bayhaul {

namespace {

// The window property that holds a named control's naming.
constexpr char kNamingProperty[] = "BayhaulAccessibleName";

std::wstring Wide(const std::string& text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

struct Naming {
    std::wstring name;
    ControlText text;
    WNDPROC control = nullptr;  // the control's own window procedure
};

bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// The system's accessible object for a control, named as the naming says.
// Everything else, its role, state, value, place and the window it belongs
// to, is the system object's.
class NamedAccessible final : public IAccessible {
public:
    NamedAccessible(IAccessible* standard, HWND control, const Naming& naming)
        : standard_(standard), control_(control), naming_(naming) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (IsEqualIID(id, __uuidof(IUnknown)) || IsEqualIID(id, __uuidof(IDispatch)) ||
            IsEqualIID(id, __uuidof(IAccessible))) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        return standard_->QueryInterface(id, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // Late-bound callers go through the accessibility type library to this
    // object's own methods, so they read the same name.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return standard_->GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return standard_->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID id, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override {
        return standard_->GetIDsOfNames(id, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID locale, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* wrongArgument) override {
        ITypeInfo* info = nullptr;
        const HRESULT found = standard_->GetTypeInfo(0, locale, &info);
        if (FAILED(found)) return found;
        const HRESULT done = info->Invoke(static_cast<IAccessible*>(this), member, flags, parameters, result,
                                          exception, wrongArgument);
        info->Release();
        return done;
    }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!IsSelf(child)) return standard_->get_accName(child, name);
        if (name == nullptr) return E_POINTER;
        *name = SysAllocStringLen(naming_.name.data(), static_cast<UINT>(naming_.name.size()));
        return *name != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
        if (!IsSelf(child) || naming_.text != ControlText::Description)
            return standard_->get_accDescription(child, description);
        if (description == nullptr) return E_POINTER;
        *description = nullptr;
        const int length = GetWindowTextLengthW(control_);
        if (length == 0) return S_FALSE;
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        const int copied = GetWindowTextW(control_, text.data(), length + 1);
        *description = SysAllocStringLen(text.data(), static_cast<UINT>(copied));
        return *description != nullptr ? S_OK : E_OUTOFMEMORY;
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return standard_->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override { return standard_->get_accChildCount(count); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        return standard_->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return standard_->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        return standard_->get_accRole(child, role);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return standard_->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return standard_->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return standard_->get_accKeyboardShortcut(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override { return standard_->get_accFocus(child); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return standard_->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return standard_->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
        return standard_->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override {
        return standard_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        return standard_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG left, LONG top, VARIANT* child) override {
        return standard_->accHitTest(left, top, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return standard_->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return standard_->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return standard_->put_accValue(child, value);
    }

private:
    ~NamedAccessible() { standard_->Release(); }

    LONG references_ = 1;
    IAccessible* standard_;
    HWND control_;
    Naming naming_;
};

// In front of the control's own procedure: answers the request for the
// control's accessible object.
LRESULT CALLBACK NamedControlProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* naming = static_cast<Naming*>(GetPropA(control, kNamingProperty));
    const WNDPROC own = naming->control;
    switch (message) {
        case WM_GETOBJECT: {
            if (static_cast<DWORD>(lParam) != static_cast<DWORD>(OBJID_CLIENT)) break;
            IAccessible* standard = nullptr;
            if (FAILED(CreateStdAccessibleObject(control, OBJID_CLIENT, __uuidof(IAccessible),
                                                 reinterpret_cast<void**>(&standard))))
                break;
            auto* named = new NamedAccessible(standard, control, *naming);
            const LRESULT result = LresultFromObject(__uuidof(IAccessible), wParam, named);
            named->Release();  // the result holds its own reference
            return result;
        }
        case WM_NCDESTROY:
            SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
            RemovePropA(control, kNamingProperty);
            delete naming;
            break;
        default:
            break;
    }
    return CallWindowProcA(own, control, message, wParam, lParam);
}

}  // namespace

void SetAccessibleName(HWND control, const std::string& name, ControlText text) {
    if (auto* naming = static_cast<Naming*>(GetPropA(control, kNamingProperty))) {
        naming->name = Wide(name);
        naming->text = text;
        return;
    }
    auto* naming = new Naming{Wide(name), text};
    SetPropA(control, kNamingProperty, naming);
    naming->control = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(NamedControlProcedure)));
}

AccessibilitySupport::AccessibilitySupport() {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    initialised_ = SUCCEEDED(com);  // an apartment of another kind serves as well, and is not ours to end
}

AccessibilitySupport::~AccessibilitySupport() {
    if (initialised_) CoUninitialize();
}

}  // namespace bayhaul
