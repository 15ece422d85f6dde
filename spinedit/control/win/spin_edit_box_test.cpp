// Brisko.SpinEditBox hosted by a container this project did not write (the
// ActiveX host of Wine's atl.dll), created by its ProgID from the registered
// Brisko.dll and driven by name through IDispatch, as late-bound code does,
// with real keys and clicks; its persistence through a container's property
// bag, stream and storage; and its type library as a container and the
// property window read it. The portable rules behind it (number syntax, key
// and paste filters, stepping, the stored record's syntax) are tested
// natively.
#include "spinedit/control/win/hosted_control_test.h"
// After windows.h, which it builds on.
#include <imm.h>

#include <map>

#include "spinedit/control/win/spin_edit_box_idl.h"
#include "spinedit/control/win/spin_edit_box_resources.h"

namespace brisko {
namespace {

using namespace hosted;

TEST_F(Hosted, PropertiesMethodsAndErrorsByName) {
    box_->Set({{L"Max", R8(320)}, {L"Min", R8(40)}, {L"Caption", Str(L"タブの幅")}, {L"FontBold", Bool(true)}});
    EXPECT_EQ(box_->Get(L"FontBold"), L"True");
    // The font object it hands out is the control's: changing it changes the control.
    EXPECT_EQ(box_->Object(L"Font").Put(L"Size", R8(12)), S_OK);
    EXPECT_EQ(box_->Get(L"FontSize"), L"12");
    // ErrCheck shows its message, with the optional arguments left out as VB
    // leaves them, and selects the text.
    EXPECT_EQ(box_->Put(L"Text", Str(L"500")), S_OK);
    SetFocus(form_.Get());
    std::wstring code;
    EXPECT_EQ(AnswerMessageBox([&] { code = box_->Call(L"ErrCheck", {Bool(true)}); }),
              L"入力エラー: タブの幅の入力が最大値を超えています。\r\n40 ～ 320 の範囲で入力して下さい。");
    EXPECT_EQ(code, L"1");
    EXPECT_EQ(GetFocus(), Text());
    EXPECT_EQ(box_->Get(L"SelLength"), L"3");
    // A refused value is run-time error 380 with its text, and changes nothing.
    const std::wstring vAlign = box_->Get(L"VAlign");
    EXPECT_EQ(box_->Put(L"VAlign", I4(3)), static_cast<HRESULT>(0x800A017C));
    EXPECT_EQ(box_->error, L"プロパティの値が不正です。");
    EXPECT_EQ(box_->Get(L"VAlign"), vAlign);
    // What a container reads to connect a form's event handlers.
    GUID source{};
    control_.As<IProvideClassInfo2>(IID_IProvideClassInfo2)->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source);
    EXPECT_TRUE(IsEqualGUID(source, kEventsIid));
    // Activated in place: the window lives in the container's, on the form.
    EXPECT_EQ(GetParent(GetParent(box_->Window(L"hWnd"))), form_.Get());
}

// Real keys and clicks reach the handlers, which may cancel a spin or change
// a key; digits typed, the arrows clicked and the Up key; the colours of
// focus, rest and the disabled state on the screen.
TEST_F(Hosted, TypingClickingTheArrowsHandlersAndColours) {
    box_->Set({{L"FocusColor", I4(0x00FF00)}, {L"BackColor", I4(0xFFFF00)}, {L"DisableColor", I4(0x800080)}});
    box_->Set({{L"Text", Str(L"")}});
    const HWND text = Text(), spin = box_->Window(L"hWndSpin");
    Sink sink(control_.Get());
    int upward = 0;  // the first upward spin is cancelled, and a 1 typed becomes a 7
    sink.peek = [&](const std::wstring& event, DISPPARAMS& p) {
        if (event == L"SpinBeforeClick" && V_I4(&p.rgvarg[1]) == 0 && upward++ == 0) *V_BOOLREF(&p.rgvarg[0]) = -1;
        if (event == L"KeyPress" && *V_I2REF(&p.rgvarg[0]) == '1') *V_I2REF(&p.rgvarg[0]) = '7';
    };
    input::Click(CenterOf(text));
    Pump(50);
    ASSERT_EQ(GetFocus(), text);
    EXPECT_EQ(PixelOf(text), RGB(0, 255, 0));
    std::erase(sink.log, L"MouseMove");
    EXPECT_EQ(sink.log, (std::vector<std::wstring>{L"MouseDown", L"MouseUp", L"Click"}));
    // Each input, and the value it leaves.
    const std::pair<std::function<void()>, const wchar_t*> steps[] = {
        {[] { input::Key('1'); }, L"7"},
        {[] { input::Key(VK_UP); }, L"7"},
        {[] { input::Key(VK_DOWN); }, L"6"},
        {[&] { SendMessageW(text, EM_SETSEL, 0, -1); }, L"6"},
        {[] { input::Key('2'); }, L"2"},
        {[] { input::Key('5'); }, L"25"},
        {[&] { input::Click(CenterOf(spin, 0.2)); }, L"26"},
        {[&] { input::Click(CenterOf(spin, 0.8)); }, L"25"},
        {[&] { input::Click(CenterOf(spin, 0.8)); }, L"24"},
        {[] { input::Key(VK_UP); }, L"25"},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        steps[i].first();
        EXPECT_EQ(box_->Get(L"Value"), steps[i].second) << "step " << i;
    }
    EXPECT_EQ(GetScrollPos(spin, SB_CTL), 1) << "the bar goes back to rest";
    EXPECT_EQ(GetFocus(), text);

    SetFocus(form_.Get());
    box_->Call(L"Refresh");
    EXPECT_EQ(PixelOf(text), RGB(0, 255, 255));
    box_->Put(L"Enabled", Bool(false));
    box_->Call(L"Refresh");
    EXPECT_EQ(PixelOf(text), RGB(128, 0, 128));
    EXPECT_FALSE(IsWindowEnabled(text) || IsWindowEnabled(spin));
}

// What a container prints or shows at design time: the control drawn through
// IViewObject into a 32-bit memory bitmap, its pixels as 0xRRGGBB.
std::vector<DWORD> Drawn(IUnknown* control, int w, int h) {
    BITMAPINFO bi{{sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueDC dc = MakeMemoryDC();
    SelectInDC select(dc.Get(), bitmap.Get());
    PatBlt(dc.Get(), 0, 0, w, h, WHITENESS);
    const RECTL bounds{0, 0, w, h};
    EXPECT_EQ(ComPtr<IUnknown>(control)
                  .As<IViewObject2>(IID_IViewObject2)
                  ->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc.Get(), &bounds, nullptr, nullptr, 0),
              S_OK);
    std::vector<DWORD> pixels(static_cast<const DWORD*>(bits), static_cast<const DWORD*>(bits) + w * h);
    for (DWORD& p : pixels) p &= 0xFFFFFF;
    return pixels;
}

TEST_F(Hosted, DrawPaintsTheBackTheTextAndTheDisableColour) {
    constexpr int kW = 200, kH = 40;
    box_->Set({{L"BackColor", I4(0x0000FF)}, {L"Text", Str(L"88")}});  // red, as an OLE colour
    const std::vector<DWORD> drawn = Drawn(control_.Get(), kW, kH);
    EXPECT_EQ(drawn[kH / 2 * kW + 10], 0xFF0000u) << "the back colour";
    int dark = 0;  // black digits inside the frame, right-aligned before the arrows
    for (int y = 6; y < kH - 6; ++y)
        for (int x = kW / 2; x < kW - 24; ++x) dark += (drawn[y * kW + x] & 0x800080) == 0;
    EXPECT_GT(dark, 10) << "no text drawn";
    EXPECT_NE(drawn[kH / 4 * kW + kW - 6], 0xFF0000u) << "no arrows at the right edge";
    box_->Set({{L"DisableColor", I4(0x00FF00)}, {L"Enabled", Bool(false)}});
    EXPECT_EQ(Drawn(control_.Get(), kW, kH)[kH / 2 * kW + 10], 0x00FF00u) << "the disable colour";
}

// A form's message loop offers keys to the active control first and asks it
// for its access keys.
TEST_F(Hosted, TheFormsKeyRoutingReachesTheTextBox) {
    Sink sink(control_.Get());
    box_->Put(L"AccessKeys", Str(L"w"));
    Focus();
    const HWND text = Text();
    auto active = control_.As<IOleInPlaceActiveObject>(IID_IOleInPlaceActiveObject);
    MSG up{text, WM_KEYDOWN, VK_UP, 0x01480001, 0, {}};
    EXPECT_EQ(active->TranslateAccelerator(&up), S_OK) << "the form would take Up for moving between controls";
    EXPECT_EQ(box_->Get(L"Value"), L"1");

    auto control = control_.As<IOleControl>(IID_IOleControl);
    CONTROLINFO info{sizeof info, nullptr, 0, 0};
    ASSERT_EQ(control->GetControlInfo(&info), S_OK);
    ACCEL accel{};
    ASSERT_EQ(CopyAcceleratorTableW(info.hAccel, &accel, 1), 1);
    EXPECT_TRUE(accel.key == 'W' && (accel.fVirt & FALT));
    SetFocus(form_.Get());
    MSG alt{text, WM_SYSKEYDOWN, 'W', 0x20110001, 0, {}};
    EXPECT_EQ(control->OnMnemonic(&alt), S_OK);
    EXPECT_EQ(GetFocus(), text);
    EXPECT_EQ(std::count(sink.log.begin(), sink.log.end(), L"AccessKeyPress"), 1);
}

// A paste goes through the clipboard; a refused one locks the box until the
// key is released. With RaiseEvents off only OnPaste reaches the handlers.
// Characters reach the handlers as the host's ANSI key codes: a double-byte
// character as one negative number, and MaxLength counts it as one.
TEST_F(Hosted, PastesTheirLockDoubleByteCharactersAndTheInputMethod) {
    Sink sink(control_.Get());
    std::vector<std::int16_t> keyAscii;  // as KeyPress received them
    sink.peek = [&](const std::wstring& event, DISPPARAMS& p) {
        if (event == L"KeyPress") keyAscii.push_back(*V_I2REF(&p.rgvarg[0]));
    };
    box_->Set({{L"RaiseEvents", Bool(false)}, {L"Text", Str(L"4")}});
    Focus();
    SendMessageW(Text(), EM_SETSEL, 1, 1);
    Paste(form_.Get(), L"5");
    EXPECT_EQ(box_->Get(L"Text"), L"45");
    EXPECT_EQ(sink.log, std::vector<std::wstring>{L"OnPaste"});
    Paste(form_.Get(), L"1.2.3", VK_SHIFT, VK_INSERT);
    EXPECT_EQ(box_->Get(L"Text"), L"45");
    EXPECT_FALSE(GetWindowLongPtrW(Text(), GWL_STYLE) & ES_READONLY) << "the lock ended with the key-up";
    input::Key('7');
    EXPECT_EQ(box_->Get(L"Text"), L"457") << "the box takes input again";

    box_->Set({{L"RaiseEvents", Bool(true)}, {L"InputControl", Bool(false)}, {L"MaxLength", I4(3)}});
    box_->Set({{L"Text", Str(L"12")}});
    SendMessageW(Text(), EM_SETSEL, 2, 2);
    SendMessageW(Text(), WM_CHAR, 0x3042, 1);  // HIRAGANA LETTER A, 82 A0 in code page 932
    SendMessageW(Text(), WM_CHAR, 0x3042, 1);  // refused: the box is full
    EXPECT_EQ(box_->Get(L"Text"), L"12\u3042");
    EXPECT_EQ(keyAscii, std::vector<std::int16_t>(2, static_cast<std::int16_t>(0x82A0)));
    // The default IMEMode keeps the input method away from a number field.
    EXPECT_EQ(ImmGetContext(Text()), nullptr);
    box_->Put(L"IMEMode", I4(0));
    HIMC imc = ImmGetContext(Text());
    EXPECT_NE(imc, nullptr);
    if (imc) ImmReleaseContext(Text(), imc);
}

// Values the VARIANT conversions or the picture objects refuse, and one the
// property refuses, keep their defaults and are logged; a form file's text
// for a number is a number.
TEST_F(Hosted, MalformedStoredValuesKeepTheirDefaultsAndAreLogged) {
    RecordingBag bag;
    VARIANT notAPicture;
    V_VT(&notAPicture) = VT_UNKNOWN;
    V_UNKNOWN(&notAPicture) = static_cast<IPropertyBag*>(&bag);
    bag.entries = {{L"Font", Str(L"Arial")},   {L"VAlign", I4(7)},       {L"Enabled", Str(L"perhaps")},
                   {L"MouseIcon", I4(5)},      {L"Max", Str(L"320")},    {L"Min", R8(40)},
                   {L"DragIcon", notAPicture}, {L"MaxLength", I4(70000)}};
    ComPtr<IUnknown> copy = CreateByProgId();
    ASSERT_EQ(copy.As<IPersistPropertyBag>(IID_IPersistPropertyBag)->Load(&bag, &bag), S_OK);
    EXPECT_EQ(bag.logged,
              (std::vector<std::wstring>{L"Font", L"VAlign", L"Enabled", L"MouseIcon", L"MaxLength", L"DragIcon"}));
    RecordingBag saved;
    ASSERT_EQ(copy.As<IPersistPropertyBag>(IID_IPersistPropertyBag)->Save(&saved, TRUE, TRUE), S_OK);
    EXPECT_EQ(saved.KeysAndTypes(), (std::vector<std::pair<std::wstring, VARTYPE>>{{L"Max", VT_I4}, {L"Min", VT_I4}}));
}

// The type library, as a container reads it: the dispatch identifiers and
// types containers rely on, and the events. (The class's default interfaces
// are what the hosted control connects through; the property window's view:
// the contract tests.)

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
    std::wstring types;
    for (const Member& m : Members(control.Get()))
        if (m.kind == INVOKE_PROPERTYGET &&
            (m.name == L"ForeColor" || m.name == L"Font" || m.name == L"SpinMouseIcon" || m.name == L"IMEMode"))
            types += m.name + L" " + m.type + L";";
    EXPECT_EQ(types, L"Font IFontDisp;ForeColor OLE_COLOR;IMEMode sebIMEModeConstants;SpinMouseIcon IPictureDisp;");
}

// The events in their order, each described, Change the default one, and
// the arguments a handler may change passed by reference.
TEST_F(TypeLibTest, EventsComeInTheirOrderWithIDEDummyLastAndHandlersMayChangeByRefArguments) {
    std::wstring names, defaults;
    std::map<std::wstring, std::vector<VARTYPE>> byRef;
    for (const Member& m : Members(events.Get())) {
        names += (names.empty() ? L"" : L" ") + m.name;
        byRef[m.name] = m.byRef;
        if (m.flags & FUNCFLAG_FUIDEFAULT) defaults += m.name;
        const std::wstring help = Doc(events.Get(), m.id, true);
        EXPECT_FALSE(help.empty()) << testing::PrintToString(m.name);
        if (m.name == L"OnPaste") {
            EXPECT_EQ(help, L"クリップボードからの貼り付けが行われる直前に発生します。");
        }
    }
    EXPECT_EQ(names,
              L"Change ChangeValue SpinBeforeClick SpinClick OnPaste BeforeKeyDown KeyDown KeyPress KeyPress2 "
              L"BeforeKeyUp KeyUp Validate Click DblClick MouseDown MouseMove MouseUp AccessKeyPress OLECompleteDrag "
              L"OLEDragDrop OLEDragOver OLEGiveFeedback OLESetData OLEStartDrag Resize Visibility AsyncReadProgress "
              L"AsyncReadComplete LinkOpen2 LinkClose2 LinkError2 LinkNotify2 IDEDummy");
    EXPECT_EQ(defaults, L"Change");
    EXPECT_EQ(byRef[L"SpinBeforeClick"], (std::vector<VARTYPE>{VT_EMPTY, VT_BOOL}));
    EXPECT_EQ(byRef[L"OnPaste"], (std::vector<VARTYPE>{VT_BSTR, VT_BOOL}));
    EXPECT_EQ(byRef[L"KeyPress"], (std::vector<VARTYPE>{VT_I2}));
    EXPECT_EQ(byRef[L"BeforeKeyDown"].at(2), VT_BOOL);
}

// The picture the class's ToolboxBitmap32 key names: a toolbox shows 16 x 15.
TEST(ToolboxPicture, IsASixteenByFifteenBitmapResource) {
    UniqueBitmap bitmap(static_cast<HBITMAP>(LoadImageW(
        LoadLibraryW(L"Brisko.dll"), MAKEINTRESOURCEW(BRISKO_SPINEDITBOX_TOOLBOX_BITMAP), IMAGE_BITMAP, 0, 0, 0)));
    BITMAP bm{};
    ASSERT_TRUE(GetObjectW(bitmap.Get(), sizeof bm, &bm));
    EXPECT_EQ(std::make_pair(bm.bmWidth, bm.bmHeight), std::make_pair(LONG{16}, LONG{15}));
}

}  // namespace
}  // namespace brisko
