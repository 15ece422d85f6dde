// The SpinEditBox type library as a container and the property window read it
// from the built Brisko.dll: the class and its two default interfaces, the
// dispatch identifiers containers rely on, the events in their order, and the
// Japanese descriptions decoded intact in code page 932.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which they build on.
#include <oleauto.h>
#include <olectl.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "common/win/com_ptr.h"
#include "common/win/gdi.h"
#include "spinedit/control/spin_edit_box_idl.h"
#include "spinedit/control/spin_edit_box_resources.h"

namespace brisko {
namespace {

// The built Brisko.dll, beside the test executable.
std::wstring DllPath() {
    wchar_t exe[MAX_PATH] = {};
    std::wstring path(exe, GetModuleFileNameW(nullptr, exe, MAX_PATH));
    path.erase(path.find_last_of(L"\\/") + 1);
    return path + L"Brisko.dll";
}

struct TypeLibTest : ::testing::Test {
    void SetUp() override { ASSERT_EQ(LoadTypeLibEx(DllPath().c_str(), REGKIND_NONE, lib.Put()), S_OK); }

    ComPtr<ITypeInfo> Info(const GUID& guid) const {
        ComPtr<ITypeInfo> info;
        EXPECT_EQ(lib->GetTypeInfoOfGuid(guid, info.Put()), S_OK);
        return info;
    }

    ComPtr<ITypeLib> lib;
};

std::wstring TakeBstr(BSTR b) {
    std::wstring s = b ? std::wstring(b, SysStringLen(b)) : std::wstring();
    SysFreeString(b);
    return s;
}

// A member's name, or with help its help string.
std::wstring Doc(ITypeInfo* info, MEMBERID id = MEMBERID_NIL, bool help = false) {
    BSTR name = nullptr, doc = nullptr;
    info->GetDocumentation(id, &name, &doc, nullptr, nullptr);
    const std::wstring text = TakeBstr(name), helpText = TakeBstr(doc);
    return help ? helpText : text;
}

struct Function {
    std::wstring name;
    MEMBERID id;
    INVOKEKIND kind;
    std::vector<VARTYPE> byRef;  // each parameter's pointee, VT_EMPTY for one passed by value
    std::wstring type;           // of the result, as "library.name" when the library declares it
};

// The library-qualified name of a declared type, through pointers.
std::wstring TypeName(ITypeInfo* info, const TYPEDESC& t) {
    if (t.vt == VT_PTR && t.lptdesc) return TypeName(info, *t.lptdesc);
    ComPtr<ITypeInfo> ref;
    ComPtr<ITypeLib> lib;
    UINT index = 0;
    if (t.vt != VT_USERDEFINED || FAILED(info->GetRefTypeInfo(t.hreftype, ref.Put())) ||
        FAILED(ref->GetContainingTypeLib(lib.Put(), &index)))
        return {};
    BSTR libName = nullptr;
    lib->GetDocumentation(-1, &libName, nullptr, nullptr, nullptr);
    return TakeBstr(libName) + L"." + Doc(ref.Get());
}

std::vector<Function> Functions(ITypeInfo* info) {
    TYPEATTR* attr = nullptr;
    if (FAILED(info->GetTypeAttr(&attr))) return {};
    const WORD count = attr->cFuncs;
    info->ReleaseTypeAttr(attr);
    std::vector<Function> out;
    for (UINT i = 0; i < count; ++i) {
        FUNCDESC* f = nullptr;
        if (FAILED(info->GetFuncDesc(i, &f))) continue;
        Function fn{Doc(info, f->memid), f->memid, f->invkind, {}, TypeName(info, f->elemdescFunc.tdesc)};
        for (SHORT p = 0; p < f->cParams; ++p) {
            const TYPEDESC& t = f->lprgelemdescParam[p].tdesc;
            fn.byRef.push_back(t.vt == VT_PTR && t.lptdesc ? t.lptdesc->vt : VARTYPE(VT_EMPTY));
        }
        out.push_back(std::move(fn));
        info->ReleaseFuncDesc(f);
    }
    return out;
}

// The vtable half of the dual interface, where every accessor is listed.
ComPtr<ITypeInfo> VtableHalf(ITypeInfo* dispatchHalf) {
    HREFTYPE ref = 0;
    ComPtr<ITypeInfo> info;
    if (SUCCEEDED(dispatchHalf->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref)))
        dispatchHalf->GetRefTypeInfo(ref, info.Put());
    return info;
}

TEST_F(TypeLibTest, TheControlClassNamesItsDualInterfaceAndItsEvents) {
    ComPtr<ITypeInfo> coclass = Info(CLSID_SpinEditBox);
    ASSERT_TRUE(coclass);
    EXPECT_EQ(Doc(coclass.Get()), L"SpinEditBox");
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(coclass->GetTypeAttr(&attr), S_OK);
    const TYPEKIND kind = attr->typekind;
    const WORD flags = attr->wTypeFlags, implTypes = attr->cImplTypes;
    coclass->ReleaseTypeAttr(attr);
    EXPECT_EQ(kind, TKIND_COCLASS);
    EXPECT_TRUE(flags & TYPEFLAG_FCONTROL);
    EXPECT_TRUE(flags & TYPEFLAG_FCANCREATE);

    std::map<int, IID> defaults;  // by implementation flags
    for (UINT i = 0; i < implTypes; ++i) {
        INT implFlags = 0;
        HREFTYPE ref = 0;
        ComPtr<ITypeInfo> impl;
        coclass->GetImplTypeFlags(i, &implFlags);
        coclass->GetRefTypeOfImplType(i, &ref);
        ASSERT_EQ(coclass->GetRefTypeInfo(ref, impl.Put()), S_OK);
        TYPEATTR* a = nullptr;
        ASSERT_EQ(impl->GetTypeAttr(&a), S_OK);
        defaults[implFlags] = a->guid;
        EXPECT_TRUE(implFlags != IMPLTYPEFLAG_FDEFAULT || (a->wTypeFlags & TYPEFLAG_FDUAL));
        impl->ReleaseTypeAttr(a);
    }
    EXPECT_EQ(defaults.size(), 2u);
    EXPECT_TRUE(IsEqualIID(defaults[IMPLTYPEFLAG_FDEFAULT], IID__SpinEditBox));
    EXPECT_TRUE(IsEqualIID(defaults[IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE], DIID___SpinEditBox));
}

TEST_F(TypeLibTest, ContainersFindTheStandardMembersAndNotTheExtendersOnes) {
    ComPtr<ITypeInfo> iface = Info(IID__SpinEditBox);
    ASSERT_TRUE(iface);
    constexpr MEMBERID kAbsent = 1 << 30;
    const struct {
        const wchar_t* name;
        MEMBERID id;
    } cases[] = {{L"Value", DISPID_VALUE}, {L"Text", DISPID_TEXT},       {L"Font", DISPID_FONT},
                 {L"hWnd", DISPID_HWND},   {L"Enabled", DISPID_ENABLED}, {L"Left", kAbsent},
                 {L"Visible", kAbsent},    {L"Name", kAbsent},           {L"ZOrder", kAbsent}};
    for (const auto& c : cases) {
        LPOLESTR name = const_cast<LPOLESTR>(c.name);
        MEMBERID id = 0;
        const HRESULT hr = iface->GetIDsOfNames(&name, 1, &id);
        if (c.id == kAbsent) {
            EXPECT_TRUE(FAILED(hr)) << "the container's extender supplies " << testing::PrintToString(c.name);
        } else {
            EXPECT_EQ(hr, S_OK) << testing::PrintToString(c.name);
            EXPECT_EQ(id, c.id) << testing::PrintToString(c.name);
        }
    }

    // The property window offers a palette, a font or picture dialog or a
    // list of constants by the property's declared type.
    const std::vector<Function> fns = Functions(iface.Get());
    const struct {
        const wchar_t* property;
        const wchar_t* type;
    } types[] = {{L"ForeColor", L"stdole.OLE_COLOR"},
                 {L"Font", L"stdole.IFontDisp"},
                 {L"SpinMouseIcon", L"stdole.IPictureDisp"},
                 {L"IMEMode", L"Brisko.sebIMEModeConstants"}};
    for (const auto& c : types) {
        const auto get = std::find_if(fns.begin(), fns.end(), [&](const Function& f) {
            return f.name == c.property && f.kind == INVOKE_PROPERTYGET;
        });
        ASSERT_NE(get, fns.end()) << testing::PrintToString(c.property);
        EXPECT_EQ(get->type, c.type) << testing::PrintToString(c.property);
    }
}

TEST_F(TypeLibTest, EventsComeInTheirOrderWithIDEDummyLastAndHandlersMayChangeByRefArguments) {
    ComPtr<ITypeInfo> events = Info(DIID___SpinEditBox);
    ASSERT_TRUE(events);
    const std::vector<Function> fns = Functions(events.Get());
    std::wstring names;
    for (const Function& f : fns) names += (names.empty() ? L"" : L" ") + f.name;
    const std::wstring expected =
        L"Change ChangeValue SpinBeforeClick SpinClick OnPaste BeforeKeyDown KeyDown KeyPress KeyPress2 "
        L"BeforeKeyUp KeyUp Validate Click DblClick MouseDown MouseMove MouseUp AccessKeyPress OLECompleteDrag "
        L"OLEDragDrop OLEDragOver OLEGiveFeedback OLESetData OLEStartDrag Resize Visibility AsyncReadProgress "
        L"AsyncReadComplete LinkOpen2 LinkClose2 LinkError2 LinkNotify2 IDEDummy";
    EXPECT_EQ(names, expected);

    // The arguments a handler may change arrive as references.
    const struct {
        const wchar_t* event;
        size_t param;
        VARTYPE type;
    } byRef[] = {{L"SpinBeforeClick", 1, VT_BOOL},
                 {L"OnPaste", 0, VT_BSTR},
                 {L"OnPaste", 1, VT_BOOL},
                 {L"KeyPress", 0, VT_I2},
                 {L"BeforeKeyDown", 2, VT_BOOL}};
    for (const auto& c : byRef) {
        SCOPED_TRACE(testing::PrintToString(c.event));
        const auto f = std::find_if(fns.begin(), fns.end(), [&](const Function& fn) { return fn.name == c.event; });
        ASSERT_NE(f, fns.end());
        ASSERT_LT(c.param, f->byRef.size());
        EXPECT_EQ(f->byRef[c.param], c.type);
    }
}

// Every member is described in Japanese, decoded intact; a property says
// whether it is writable.
TEST_F(TypeLibTest, EveryMemberIsDescribedAndPropertiesSayWhetherTheyAreWritable) {
    ComPtr<ITypeInfo> vtable = VtableHalf(Info(IID__SpinEditBox).Get());
    ComPtr<ITypeInfo> events = Info(DIID___SpinEditBox);
    ASSERT_TRUE(vtable && events);
    const std::vector<Function> fns = Functions(vtable.Get());
    ASSERT_GT(fns.size(), 100u);
    std::map<MEMBERID, bool> writable;
    for (const Function& f : fns)
        if (f.kind != INVOKE_FUNC) writable[f.id] = writable[f.id] || f.kind != INVOKE_PROPERTYGET;
    const std::wstring kWritable = L"値の取得も可能です。", kReadOnly = L"読み取り専用です。";
    for (const Function& f : fns) {
        const std::wstring help = Doc(vtable.Get(), f.id, true);
        SCOPED_TRACE(testing::PrintToString(f.name));
        EXPECT_FALSE(help.empty());
        if (f.kind == INVOKE_FUNC) continue;
        EXPECT_EQ(help.find(kWritable) != std::wstring::npos, writable[f.id]);
        EXPECT_EQ(help.find(kReadOnly) != std::wstring::npos, !writable[f.id]);
    }
    for (const Function& f : Functions(events.Get())) EXPECT_FALSE(Doc(events.Get(), f.id, true).empty()) << f.id;

    // Characters whose code page 932 form ends in a backslash byte (能, 表,
    // 貼) are the ones a careless build mangles.
    const struct {
        ITypeInfo* info;
        const wchar_t* member;
        const wchar_t* text;
    } cases[] = {
        {vtable.Get(), L"Value",
         L"スピンボタンの現在の値を設定します。値の取得も可能です。数値として有効な最新の入力値が格納されます。"},
        {vtable.Get(), L"DecFig",
         L"テキストボックスに表示する値の小数点以下の桁数、および桁精度を設定します。値の取得も可能です。"
         L"このプロパティの示す桁よりも下位の桁は切り捨てられます。"},
        {events.Get(), L"OnPaste", L"クリップボードからの貼り付けが行われる直前に発生します。"},
    };
    for (const auto& c : cases) {
        LPOLESTR name = const_cast<LPOLESTR>(c.member);
        MEMBERID id = 0;
        ASSERT_EQ(c.info->GetIDsOfNames(&name, 1, &id), S_OK);
        EXPECT_EQ(Doc(c.info, id, true), c.text) << testing::PrintToString(c.member);
    }
}

// The picture the class's ToolboxBitmap32 key names: a toolbox shows 16 x 15.
TEST(ToolboxPicture, IsASixteenByFifteenBitmapResource) {
    const HMODULE dll = LoadLibraryExW(DllPath().c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(dll, nullptr);
    UniqueBitmap bitmap(static_cast<HBITMAP>(
        LoadImageW(dll, MAKEINTRESOURCEW(BRISKO_SPINEDITBOX_TOOLBOX_BITMAP), IMAGE_BITMAP, 0, 0, 0)));
    ASSERT_TRUE(bitmap);
    BITMAP bm{};
    ASSERT_TRUE(GetObjectW(bitmap.Get(), sizeof bm, &bm));
    EXPECT_EQ(bm.bmWidth, 16);
    EXPECT_EQ(bm.bmHeight, 15);
    bitmap.Reset();
    FreeLibrary(dll);
}

}  // namespace
}  // namespace brisko
