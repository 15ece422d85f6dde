// The SpinEditBox type library as a container and the property window read it
// from the built Brisko.dll: the class and its two default interfaces, the
// dispatch identifiers and types containers rely on, the events in their
// order, and the Japanese descriptions decoded intact in code page 932.
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
    return path.erase(path.find_last_of(L"\\/") + 1) + L"Brisko.dll";
}

// A member's name, or with help its help string.
std::wstring Doc(ITypeInfo* info, MEMBERID id = MEMBERID_NIL, bool help = false) {
    BSTR texts[2] = {};
    info->GetDocumentation(id, &texts[0], &texts[1], nullptr, nullptr);
    const std::wstring text = texts[help] ? texts[help] : L"";
    for (BSTR b : texts) SysFreeString(b);
    return text;
}

struct Member {
    MEMBERID id;
    INVOKEKIND kind;
    std::vector<VARTYPE> byRef;  // each parameter's pointee, VT_EMPTY for one passed by value
    std::wstring type;           // of the result, as "library.name" when a library declares it
};

// The library-qualified name of a declared type, through pointers.
std::wstring TypeName(ITypeInfo* info, const TYPEDESC& t) {
    if (t.vt == VT_PTR) return TypeName(info, *t.lptdesc);
    ComPtr<ITypeInfo> ref;
    ComPtr<ITypeLib> lib;
    UINT index = 0;
    if (t.vt != VT_USERDEFINED || FAILED(info->GetRefTypeInfo(t.hreftype, ref.Put())) ||
        FAILED(ref->GetContainingTypeLib(lib.Put(), &index)))
        return {};
    BSTR libName = nullptr;
    lib->GetDocumentation(-1, &libName, nullptr, nullptr, nullptr);
    const std::wstring name = libName;
    SysFreeString(libName);
    return name + L"." + Doc(ref.Get());
}

// The functions of an interface in their order, with their names.
std::vector<std::pair<std::wstring, Member>> Members(ITypeInfo* info) {
    std::vector<std::pair<std::wstring, Member>> out;
    FUNCDESC* f = nullptr;
    for (UINT i = 0; SUCCEEDED(info->GetFuncDesc(i, &f)); ++i) {
        Member m{f->memid, f->invkind, {}, TypeName(info, f->elemdescFunc.tdesc)};
        for (SHORT p = 0; p < f->cParams; ++p) {
            const TYPEDESC& t = f->lprgelemdescParam[p].tdesc;
            m.byRef.push_back(t.vt == VT_PTR ? t.lptdesc->vt : VARTYPE(VT_EMPTY));
        }
        out.emplace_back(Doc(info, f->memid), std::move(m));
        info->ReleaseFuncDesc(f);
    }
    return out;
}

struct TypeLibTest : ::testing::Test {
    void SetUp() override {
        ASSERT_EQ(LoadTypeLibEx(DllPath().c_str(), REGKIND_NONE, lib.Put()), S_OK);
        ASSERT_EQ(lib->GetTypeInfoOfGuid(IID__SpinEditBox, control.Put()), S_OK);
        ASSERT_EQ(lib->GetTypeInfoOfGuid(DIID___SpinEditBox, events.Put()), S_OK);
    }
    ComPtr<ITypeLib> lib;
    ComPtr<ITypeInfo> control, events;
};

TEST_F(TypeLibTest, TheControlClassNamesItsDualInterfaceAndItsEvents) {
    ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(CLSID_SpinEditBox, coclass.Put()), S_OK);
    EXPECT_EQ(Doc(coclass.Get()), L"SpinEditBox");
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(coclass->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_COCLASS);
    EXPECT_EQ(attr->wTypeFlags & (TYPEFLAG_FCONTROL | TYPEFLAG_FCANCREATE), TYPEFLAG_FCONTROL | TYPEFLAG_FCANCREATE);
    std::vector<std::pair<INT, std::wstring>> implemented;  // flags, and the name marked when dual
    for (UINT i = 0; i < attr->cImplTypes; ++i) {
        INT flags = 0;
        HREFTYPE ref = 0;
        ComPtr<ITypeInfo> impl;
        coclass->GetImplTypeFlags(i, &flags);
        coclass->GetRefTypeOfImplType(i, &ref);
        ASSERT_EQ(coclass->GetRefTypeInfo(ref, impl.Put()), S_OK);
        TYPEATTR* a = nullptr;
        ASSERT_EQ(impl->GetTypeAttr(&a), S_OK);
        implemented.emplace_back(flags, Doc(impl.Get()) + ((a->wTypeFlags & TYPEFLAG_FDUAL) ? L" dual" : L""));
        impl->ReleaseTypeAttr(a);
    }
    coclass->ReleaseTypeAttr(attr);
    EXPECT_EQ(implemented, (std::vector<std::pair<INT, std::wstring>>{
                               {IMPLTYPEFLAG_FDEFAULT, L"_SpinEditBox dual"},
                               {IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE, L"__SpinEditBox"}}));
}

// The standard identifiers, and none of the members the container's
// extender supplies; the property window offers a palette, a font or picture
// dialog or a list of constants by the property's declared type.
TEST_F(TypeLibTest, ContainersFindTheStandardMembersAndTheirTypes) {
    constexpr MEMBERID kAbsent = 1 << 30;
    const std::pair<const wchar_t*, MEMBERID> ids[] = {
        {L"Value", DISPID_VALUE}, {L"Text", DISPID_TEXT},       {L"Font", DISPID_FONT},
        {L"hWnd", DISPID_HWND},   {L"Enabled", DISPID_ENABLED}, {L"Left", kAbsent},
        {L"Visible", kAbsent},    {L"Name", kAbsent},           {L"ZOrder", kAbsent}};
    for (const auto& [name, expected] : ids) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        MEMBERID id = 0;
        if (FAILED(control->GetIDsOfNames(names, 1, &id))) id = kAbsent;
        EXPECT_EQ(id, expected) << testing::PrintToString(name);
    }
    std::map<std::wstring, std::wstring> types;
    for (const auto& [name, m] : Members(control.Get()))
        if (m.kind == INVOKE_PROPERTYGET) types[name] = m.type;
    EXPECT_EQ(types[L"ForeColor"], L"stdole.OLE_COLOR");
    EXPECT_EQ(types[L"Font"], L"stdole.IFontDisp");
    EXPECT_EQ(types[L"SpinMouseIcon"], L"stdole.IPictureDisp");
    EXPECT_EQ(types[L"IMEMode"], L"Brisko.sebIMEModeConstants");
}

// The arguments a handler may change arrive as references.
TEST_F(TypeLibTest, EventsComeInTheirOrderWithIDEDummyLastAndHandlersMayChangeByRefArguments) {
    std::wstring names;
    std::map<std::wstring, std::vector<VARTYPE>> byRef;
    for (const auto& [name, m] : Members(events.Get())) {
        names += (names.empty() ? L"" : L" ") + name;
        byRef[name] = m.byRef;
    }
    EXPECT_EQ(names,
              L"Change ChangeValue SpinBeforeClick SpinClick OnPaste BeforeKeyDown KeyDown KeyPress KeyPress2 "
              L"BeforeKeyUp KeyUp Validate Click DblClick MouseDown MouseMove MouseUp AccessKeyPress OLECompleteDrag "
              L"OLEDragDrop OLEDragOver OLEGiveFeedback OLESetData OLEStartDrag Resize Visibility AsyncReadProgress "
              L"AsyncReadComplete LinkOpen2 LinkClose2 LinkError2 LinkNotify2 IDEDummy");
    EXPECT_EQ(byRef[L"SpinBeforeClick"], (std::vector<VARTYPE>{VT_EMPTY, VT_BOOL}));
    EXPECT_EQ(byRef[L"OnPaste"], (std::vector<VARTYPE>{VT_BSTR, VT_BOOL}));
    EXPECT_EQ(byRef[L"KeyPress"], (std::vector<VARTYPE>{VT_I2}));
    EXPECT_EQ(byRef[L"BeforeKeyDown"].at(2), VT_BOOL);
}

// Every member is described in Japanese for the property window, decoded
// intact: a property says whether it is writable, and the characters whose
// code page 932 form ends in a backslash byte (能, 表, 貼), the ones a
// careless build mangles, come through.
TEST_F(TypeLibTest, EveryMemberIsDescribedAndPropertiesSayWhetherTheyAreWritable) {
    HREFTYPE ref = 0;
    ComPtr<ITypeInfo> vtable;  // the vtable half of the dual interface, where every accessor is listed
    ASSERT_EQ(control->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref), S_OK);
    ASSERT_EQ(control->GetRefTypeInfo(ref, vtable.Put()), S_OK);
    const auto members = Members(vtable.Get());
    ASSERT_GT(members.size(), 100u);
    std::map<MEMBERID, bool> writable;
    std::map<std::wstring, std::wstring> help;  // by name
    for (const auto& [name, m] : members) {
        if (m.kind != INVOKE_FUNC) writable[m.id] = writable[m.id] || m.kind != INVOKE_PROPERTYGET;
        help[name] = Doc(vtable.Get(), m.id, true);
    }
    for (const auto& [name, m] : members) {
        const wchar_t* says = m.kind == INVOKE_FUNC ? L""
                              : writable[m.id]      ? L"値の取得も可能です。"
                                                    : L"読み取り専用です。";
        EXPECT_TRUE(!help[name].empty() && help[name].find(says) != std::wstring::npos) << testing::PrintToString(name);
    }
    for (const auto& [name, m] : Members(events.Get())) {
        help[name] = Doc(events.Get(), m.id, true);
        EXPECT_FALSE(help[name].empty()) << testing::PrintToString(name);
    }
    EXPECT_EQ(help[L"DecFig"],
              L"テキストボックスに表示する値の小数点以下の桁数、および桁精度を設定します。値の取得も可能です。"
              L"このプロパティの示す桁よりも下位の桁は切り捨てられます。");
    EXPECT_EQ(help[L"OnPaste"], L"クリップボードからの貼り付けが行われる直前に発生します。");
}

// The picture the class's ToolboxBitmap32 key names: a toolbox shows 16 x 15.
TEST(ToolboxPicture, IsASixteenByFifteenBitmapResource) {
    const HMODULE dll = LoadLibraryExW(DllPath().c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(dll, nullptr);
    UniqueBitmap bitmap(static_cast<HBITMAP>(
        LoadImageW(dll, MAKEINTRESOURCEW(BRISKO_SPINEDITBOX_TOOLBOX_BITMAP), IMAGE_BITMAP, 0, 0, 0)));
    BITMAP bm{};
    ASSERT_TRUE(GetObjectW(bitmap.Get(), sizeof bm, &bm));
    EXPECT_EQ(std::make_pair(bm.bmWidth, bm.bmHeight), std::make_pair(LONG{16}, LONG{15}));
    bitmap.Reset();
    FreeLibrary(dll);
}

}  // namespace
}  // namespace brisko
