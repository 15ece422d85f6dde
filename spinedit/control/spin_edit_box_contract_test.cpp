// Brisko.SpinEditBox as form designers and their running programs use it,
// through Wine's ATL and a site written here: the property window's view of
// the type library, every design-time value kept through a bag, a stream and
// a storage (and records of the previous version still read), mouse events in
// the container's units, the parts' objects, OLE drops and drags between two
// controls, and the smaller points of the control contract.
#include <objsafe.h>

#include <set>

#include "spinedit/control/hosted_control_test.h"
#include "spinedit/control/spin_edit_box_idl.h"

namespace brisko {
namespace {

using namespace hosted;

constexpr HRESULT Vb(int number) {
    return static_cast<HRESULT>(0x800A0000u | static_cast<unsigned>(number));
}

// A design-time value of every member the property window offers, as the
// property window passes it (text), in an order that leaves them consistent
// (Value within its range, then the text that gives it). LinkMode can only
// keep its 0: no link is ever made.
const std::vector<std::pair<const wchar_t*, const wchar_t*>> kDesignValues = {{L"Font", nullptr},
                                                                              {L"Alignment", L"0"},
                                                                              {L"VAlign", L"0"},
                                                                              {L"LeftMargin", L"3"},
                                                                              {L"RightMargin", L"4"},
                                                                              {L"VMargin", L"2"},
                                                                              {L"AutoRedraw", L"True"},
                                                                              {L"Appearance", L"0"},
                                                                              {L"BorderStyle", L"0"},
                                                                              {L"ForeColor", L"255"},
                                                                              {L"FocusColor", L"65535"},
                                                                              {L"BackColor", L"65280"},
                                                                              {L"DisableColor", L"8421504"},
                                                                              {L"RaiseEvents", L"False"},
                                                                              {L"Enabled", L"False"},
                                                                              {L"Caption", L"数量"},
                                                                              {L"MousePointer", L"2"},
                                                                              {L"MouseIcon", nullptr},
                                                                              {L"RightToLeft", L"True"},
                                                                              {L"AccessKeys", L"q"},
                                                                              {L"KeyPreview", L"True"},
                                                                              {L"IMEMode", L"1"},
                                                                              {L"ArrowSpin", L"False"},
                                                                              {L"Silence", L"True"},
                                                                              {L"BeepSound", L"4"},
                                                                              {L"DecFig", L"1"},
                                                                              {L"Max", L"50"},
                                                                              {L"Min", L"2"},
                                                                              {L"Increment", L"0.5"},
                                                                              {L"Value", L"12.5"},
                                                                              {L"Text", L"12.5"},
                                                                              {L"Wrap", L"True"},
                                                                              {L"Multiple", L"True"},
                                                                              {L"EnabledSpin", L"False"},
                                                                              {L"VisibleSpin", L"False"},
                                                                              {L"SpinMousePointer", L"3"},
                                                                              {L"SpinMouseIcon", nullptr},
                                                                              {L"TextSelection", L"True"},
                                                                              {L"MaxLength", L"8"},
                                                                              {L"PasswordChar", L"*"},
                                                                              {L"Locked", L"True"},
                                                                              {L"InputControl", L"False"},
                                                                              {L"LinkItem", L"R1C1"},
                                                                              {L"LinkMode", L"0"},
                                                                              {L"LinkTimeout", L"70"},
                                                                              {L"LinkTopic", L"Excel|Book1"},
                                                                              {L"OLEDragMode", L"1"},
                                                                              {L"OLEDropMode", L"2"}};

// The value of a row: the text, or for the objects a font and icons.
VARIANT DesignValue(const wchar_t* name, const wchar_t* text) {
    if (text) return variant::Str(text);
    if (std::wstring_view(name) != L"Font") return Icon(name[0] == L'M' ? 32514 : 32513);
    FONTDESC desc{sizeof desc, const_cast<LPOLESTR>(L"Arial"), {{110000, 0}}, 700, 0, 1, 0, 0};
    VARIANT v;
    V_VT(&v) = VT_DISPATCH;
    OleCreateFontIndirect(&desc, IID_IFontDisp, reinterpret_cast<void**>(&V_DISPATCH(&v)));
    return v;
}

// A control on a designer's form, loaded with load or new.
struct Designed {
    explicit Designed(const std::function<HRESULT(IUnknown*)>& load = {}) : object(CreateByProgId()) {
        object.As<IOleObject>(IID_IOleObject)->SetClientSite(&site);
        EXPECT_EQ(load ? load(object.Get()) : object.As<IPersistStreamInit>(IID_IPersistStreamInit)->InitNew(), S_OK);
    }
    ~Designed() { object.As<IOleObject>(IID_IOleObject)->SetClientSite(nullptr); }
    std::wstring Get(const wchar_t* name) {
        ByName b(object.As<IDispatch>(IID_IDispatch));
        const std::wstring value = b.Get(name);
        if (!b.object) return value;
        ByName o(b.object);  // a picture by its kind, a font by its looks
        if (std::wstring_view(name).ends_with(L"Icon")) return o.Get(L"Type");
        return o.Get(L"Name") + L" " + o.Get(L"Size") + o.Get(L"Bold") + o.Get(L"Italic");
    }
    TestSite site;
    ComPtr<IUnknown> object;
};

TEST_F(TypeLibTest, ThePropertyWindowShowsWhatPersistsAndChangeIsTheDefaultEvent) {
    std::set<std::wstring> settable, hidden;
    for (const Member& m : Members(vtable.Get())) {
        if (m.flags & FUNCFLAG_FNONBROWSABLE)
            hidden.insert(m.name);
        else if (m.kind != INVOKE_PROPERTYGET && m.kind != INVOKE_FUNC)
            settable.insert(m.name);
    }
    EXPECT_EQ(hidden, (std::set<std::wstring>{L"FontBold", L"FontItalic", L"FontName", L"FontSize", L"FontStrikethru",
                                              L"FontUnderline", L"NormalText", L"SelStart", L"SelLength", L"SelText",
                                              L"IsFocused", L"hWnd", L"hWndText", L"hWndSpin", L"TextBoxObject",
                                              L"SpinBtnObject"}));
    std::set<std::wstring> designed;
    for (const auto& [name, text] : kDesignValues) designed.insert(name);
    EXPECT_EQ(settable, designed) << "every member the property window offers is stored";
    std::wstring defaults;
    for (const Member& m : Members(events.Get()))
        if (m.flags & FUNCFLAG_FUIDEFAULT) defaults += m.name;
    EXPECT_EQ(defaults, L"Change");
}

TEST_F(Hosted, EveryDesignTimeValueSurvivesABagAStreamAndAStorageAndOldRecordsLoad) {
    Designed original;
    ByName set(original.object.As<IDispatch>(IID_IDispatch));
    for (const auto& [name, text] : kDesignValues) EXPECT_EQ(set.Put(name, DesignValue(name, text)), S_OK) << set.error;
    RecordingBag bag;
    ComPtr<IStream> stream;
    ComPtr<IStorage> storage;
    ASSERT_EQ(original.object.As<IPersistPropertyBag>(IID_IPersistPropertyBag)->Save(&bag, TRUE, TRUE), S_OK);
    CreateStreamOnHGlobal(nullptr, TRUE, stream.Put());
    ASSERT_EQ(original.object.As<IPersistStreamInit>(IID_IPersistStreamInit)->Save(stream.Get(), TRUE), S_OK);
    StgCreateDocfile(nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE, 0,
                     storage.Put());
    ASSERT_EQ(original.object.As<IPersistStorage>(IID_IPersistStorage)->Save(storage.Get(), FALSE), S_OK);
    const std::function<HRESULT(IUnknown*)> loads[] = {
        [&](IUnknown* o) {
            return ComPtr<IUnknown>(o).As<IPersistPropertyBag>(IID_IPersistPropertyBag)->Load(&bag, &bag);
        },
        [&](IUnknown* o) {
            stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
            return ComPtr<IUnknown>(o).As<IPersistStreamInit>(IID_IPersistStreamInit)->Load(stream.Get());
        },
        [&](IUnknown* o) { return ComPtr<IUnknown>(o).As<IPersistStorage>(IID_IPersistStorage)->Load(storage.Get()); },
    };
    for (const auto& load : loads) {
        Designed copy(load);
        for (const auto& [name, text] : kDesignValues)
            EXPECT_EQ(copy.Get(name), original.Get(name))
                << testing::PrintToString(std::wstring(name)) << " #" << (&load - loads);
    }
    // A record as the previous version wrote it: caption, one decimal, range
    // 4 to 32, text 12.5, disabled, left-aligned, a back colour.
    static const std::uint8_t kOld[] = {
        0x42, 0x53, 0x45, 0x42, 0x01, 0x00, 0x00, 0x00, 0xDD, 0x00, 0x00, 0x00, 0x0B, 0x00, 0x05, 0x09, 0x41, 0x00,
        0x6C, 0x00, 0x69, 0x00, 0x67, 0x00, 0x6E, 0x00, 0x6D, 0x00, 0x65, 0x00, 0x6E, 0x00, 0x74, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x05, 0x09, 0x42, 0x00, 0x61, 0x00, 0x63, 0x00, 0x6B, 0x00, 0x43, 0x00, 0x6F, 0x00, 0x6C, 0x00,
        0x6F, 0x00, 0x72, 0x00, 0x40, 0x80, 0xFF, 0x00, 0x02, 0x07, 0x45, 0x00, 0x6E, 0x00, 0x61, 0x00, 0x62, 0x00,
        0x6C, 0x00, 0x65, 0x00, 0x64, 0x00, 0x00, 0x06, 0x07, 0x43, 0x00, 0x61, 0x00, 0x70, 0x00, 0x74, 0x00, 0x69,
        0x00, 0x6F, 0x00, 0x6E, 0x00, 0x04, 0x00, 0x00, 0x00, 0xBF, 0x30, 0xD6, 0x30, 0x6E, 0x30, 0x45, 0x5E, 0x05,
        0x05, 0x56, 0x00, 0x61, 0x00, 0x6C, 0x00, 0x75, 0x00, 0x65, 0x00, 0x7D, 0x00, 0x00, 0x00, 0x05, 0x03, 0x4D,
        0x00, 0x61, 0x00, 0x78, 0x00, 0x40, 0x01, 0x00, 0x00, 0x05, 0x03, 0x4D, 0x00, 0x69, 0x00, 0x6E, 0x00, 0x28,
        0x00, 0x00, 0x00, 0x05, 0x09, 0x49, 0x00, 0x6E, 0x00, 0x63, 0x00, 0x72, 0x00, 0x65, 0x00, 0x6D, 0x00, 0x65,
        0x00, 0x6E, 0x00, 0x74, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x03, 0x06, 0x44, 0x00, 0x65, 0x00, 0x63, 0x00, 0x46,
        0x00, 0x69, 0x00, 0x67, 0x00, 0x01, 0x02, 0x0B, 0x45, 0x00, 0x6E, 0x00, 0x61, 0x00, 0x62, 0x00, 0x6C, 0x00,
        0x65, 0x00, 0x64, 0x00, 0x53, 0x00, 0x70, 0x00, 0x69, 0x00, 0x6E, 0x00, 0x00, 0x06, 0x04, 0x54, 0x00, 0x65,
        0x00, 0x78, 0x00, 0x74, 0x00, 0x04, 0x00, 0x00, 0x00, 0x31, 0x00, 0x32, 0x00, 0x2E, 0x00, 0x35, 0x00};
    stream.Reset();
    CreateStreamOnHGlobal(nullptr, TRUE, stream.Put());
    stream->Write(kOld, sizeof kOld, nullptr);
    Designed old(loads[1]);
    std::wstring values;
    for (const wchar_t* name :
         {L"Caption", L"Value", L"Max", L"Min", L"Text", L"Enabled", L"Alignment", L"BackColor", L"RightToLeft"})
        values += old.Get(name) + L" ";
    EXPECT_EQ(values, L"タブの幅 12.5 32 4 12.5 False 0 16744512 False ");
}

// The X and Y of a mouse event: twips under Wine's ATL, whose site converts
// nothing, and a site's own units where it converts HIMETRIC.
TEST_F(Hosted, MouseEventsComeInTheContainersUnits) {
    TestSite site;
    site.userMode = true;
    site.window = form_.Get();
    site.scale = 100;  // hundredths of HIMETRIC: millimetres
    site.place = RECT{10, 60, 170, 86};
    auto own = CreateByProgId().As<IOleObject>(IID_IOleObject);
    own->SetClientSite(&site);
    own.As<IPersistStreamInit>(IID_IPersistStreamInit)->InitNew();
    ASSERT_EQ(own->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, form_.Get(), &site.place), S_OK);
    Pump(50);
    for (IUnknown* control : {control_.Get(), static_cast<IUnknown*>(own.Get())}) {
        ByName box(ComPtr<IUnknown>(control).As<IDispatch>(IID_IDispatch));
        Sink sink(control);
        float x = -1, y = -1;
        sink.peek = [&](const std::wstring& event, DISPPARAMS& p) {
            if (event != L"MouseDown") return;
            x = V_R4(&p.rgvarg[1]);
            y = V_R4(&p.rgvarg[0]);
        };
        const POINT at = CenterOf(box.Window(L"hWndText"));
        input::Click(at);
        POINT client = at;
        ScreenToClient(box.Window(L"hWnd"), &client);
        const bool scaled = control != control_.Get();
        const auto expected = [&](LONG px) {
            return scaled ? static_cast<float>(MulDiv(px, 2540, 96)) / 100 : static_cast<float>(px * 15);
        };
        EXPECT_FLOAT_EQ(x, expected(client.x)) << scaled;
        EXPECT_FLOAT_EQ(y, expected(client.y)) << scaled;
    }
    own->Close(OLECLOSE_NOSAVE);
    own->SetClientSite(nullptr);
}

// TextBoxObject and SpinBtnObject act on the control's own state, and tell
// why they no longer can once the control has gone.
TEST_F(Hosted, ThePartsActOnTheControlUntilItGoes) {
    box_->Get(L"TextBoxObject");
    ByName text(box_->object);
    box_->Get(L"SpinBtnObject");
    ByName spin(box_->object);
    EXPECT_EQ(text.Put(L"Text", variant::Str(L"42")), S_OK);
    EXPECT_EQ(spin.Put(L"Max", variant::R8(40)), S_OK);
    EXPECT_EQ(spin.Put(L"Enabled", variant::Bool(false)), S_OK);
    EXPECT_EQ(text.Put(L"SelStart", variant::I4(1)), S_OK);
    EXPECT_EQ(box_->Get(L"Text") + box_->Get(L"Value") + box_->Get(L"Max") + box_->Get(L"EnabledSpin") +
                  box_->Get(L"SelStart") + spin.Get(L"Value"),
              L"424040False140");
    EXPECT_EQ(text.Window(L"hWnd"), Text());
    EXPECT_EQ(spin.Window(L"hWnd"), box_->Window(L"hWndSpin"));
    EXPECT_EQ(text.Put(L"Visible", variant::Bool(false)), Vb(380));
    EXPECT_NE(text.error.find(L"Visible"), std::wstring::npos) << "it says what to set instead";
    box_.reset();
    control_.Reset();
    form_.Reset();
    Pump(30);
    EXPECT_EQ(text.Get(L"Text"), L"<failed>");
    EXPECT_EQ(text.error, L"この部品の SpinEditBox コントロールは既に解放されています。");
    EXPECT_EQ(spin.Put(L"Value", variant::R8(1)), Vb(440));
}

// What a drag from one control to another does: the first fills the data in
// OLEStartDrag (or drags its selection by itself), the second takes the drop
// by hand (its events in order, the data they read) or by itself (through
// its input filter), and the first hears the effect in OLECompleteDrag.
TEST_F(Hosted, DragsBetweenTwoControlsRaiseTheirEventsAndDropsGoThroughTheFilter) {
    using Offer = std::function<void(ByName&)>;
    const auto text = [](const wchar_t* t) { return Offer([t](ByName& d) { d.Call(L"SetData", {variant::Str(t)}); }); };
    struct Case {
        const char* what;
        std::int32_t dropMode;
        Offer offer;  // none: the first control drags its selected text itself
        bool locked;
        std::wstring read, events, result;  // what the drop's handler read, its events, the second's text
        LONG effect;
    };
    const Offer files = [](ByName& d) {
        d.Get(L"Files");
        ByName list(d.object);
        list.Call(L"Add", {variant::Str(L"C:\\a.txt")});
        list.Call(L"Add", {variant::Str(L"C:\\b c.txt")});
    };
    const std::wstring huge(2'000'000, L'8');
    const Case cases[] = {
        {"text by hand", 1, text(L"7"), false, L"7|0", L"enter over drop", L"12", 1},
        {"files by hand", 1, files, false, L"!文字列のデータはありません。|2|C:\\b c.txt", L"enter over drop", L"12",
         1},
        {"huge text by hand", 1, text(huge.c_str()), false,
         L"!ドロップされた文字列が長すぎます。受け取れるのは 1048576 文字までです。|0", L"enter over drop", L"12", 1},
        {"a number by itself", 2, text(L"7"), false, L"", L"", L"127", 2},
        {"letters by itself", 2, text(L"abc"), false, L"", L"", L"12", 0},
        {"into a locked box", 2, text(L"7"), true, L"", L"", L"12", 0},
        {"no text", 2, files, false, L"", L"", L"12", 0},
        {"a selection moved", 2, {}, false, L"", L"", L"1235", 2},
    };
    for (const Case& c : cases) {
        ComPtr<IUnknown> second = Place(90);
        ByName target(second.As<IDispatch>(IID_IDispatch));
        target.Put(L"Alignment", variant::I4(0));
        target.Put(L"Text", variant::Str(L"12"));
        target.Put(L"OLEDropMode", variant::I4(c.dropMode));
        target.Put(L"Locked", variant::Bool(c.locked));
        box_->Put(L"OLEDragMode", variant::I4(c.offer ? 0 : 1));
        box_->Put(L"Text", variant::Str(L"35"));
        SendMessageW(Text(), EM_SETSEL, 0, -1);
        Sink from(control_.Get()), to(second.Get());
        std::wstring read, events;
        LONG effect = -1;
        from.peek = [&](const std::wstring& event, DISPPARAMS& p) {
            if (event == L"MouseDown" && c.offer && effect == -1) {
                effect = -2;
                box_->Call(L"OLEDrag");
            } else if (event == L"OLEStartDrag" && c.offer) {
                ByName data(ComPtr<IDispatch>(V_DISPATCH(&p.rgvarg[1])));
                data.Call(L"Clear");
                c.offer(data);
            } else if (event == L"OLECompleteDrag") {
                effect = *V_I4REF(&p.rgvarg[0]);
            }
        };
        to.peek = [&](const std::wstring& event, DISPPARAMS& p) {
            if (event == L"OLEDragOver") {
                const wchar_t* states[] = {L"enter", L"leave", L"over"};
                const std::wstring state = states[*V_I2REF(&p.rgvarg[0]) % 3];
                if (!events.ends_with(state)) events += (events.empty() ? L"" : L" ") + state;
                *V_I4REF(&p.rgvarg[5]) = 1;  // a copy is all this one takes
                return;
            }
            if (event != L"OLEDragDrop") return;
            events += L" drop";
            *V_I4REF(&p.rgvarg[4]) = 1;
            ByName data(ComPtr<IDispatch>(V_DISPATCH(&p.rgvarg[5])));
            read = data.Call(L"GetData", {variant::I4(1)});
            if (read == L"<failed>") read = L"!" + data.error;
            data.Get(L"Files");
            ByName list(data.object);
            read += L"|" + list.Get(L"Count");
            if (list.Get(L"Count") != L"0") read += L"|" + list.Call(L"Item", {variant::I4(1)}, DISPATCH_PROPERTYGET);
        };
        // Each from a point of its own: two presses at one point would make a double click.
        POINT start = CenterOf(Text());
        start.x -= 8 * static_cast<LONG>(&c - cases);
        input::Drag(start, CenterOf(target.Window(L"hWndText")));
        Pump(50);
        EXPECT_EQ(read, c.read) << c.what;
        EXPECT_EQ(events, c.events) << c.what;
        EXPECT_EQ(target.Get(L"Text") + box_->Get(L"Text"), c.result + (c.effect == 2 && !c.offer ? L"" : L"35"))
            << c.what;
        EXPECT_EQ(effect, c.effect) << c.what;
        DestroyWindow(GetParent(target.Window(L"hWnd")));
    }
}

// Property sinks, as the property window listens, hear which member changed.
struct NotifySink final : IPropertyNotifySink {
    std::vector<DISPID> changed;
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        const bool known = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPropertyNotifySink);
        *ppv = known ? this : nullptr;
        return known ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP OnChanged(DISPID id) override { return changed.push_back(id), S_OK; }
    STDMETHODIMP OnRequestEdit(DISPID) override { return S_OK; }
};

TEST_F(Hosted, TheSmallerPointsOfTheControlContract) {
    NotifySink notify;
    ComPtr<IConnectionPoint> point;
    control_.As<IConnectionPointContainer>(IID_IConnectionPointContainer)
        ->FindConnectionPoint(IID_IPropertyNotifySink, point.Put());
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(&notify, &cookie), S_OK);
    const std::pair<const wchar_t*, VARIANT> sets[] = {
        {L"Caption", variant::Str(L"a")}, {L"Text", variant::Str(L"5")}, {L"FontBold", variant::Bool(true)}};
    for (const auto& [name, value] : sets) box_->Put(name, value);
    point->Unadvise(cookie);
    EXPECT_EQ(notify.changed, (std::vector<DISPID>{DISPID_SPINEDIT_CAPTION, DISPID_TEXT, DISPID_VALUE,
                                                   DISPID_SPINEDIT_FONTBOLD, DISPID_FONT}));

    IEnumOLEVERB* verbs = reinterpret_cast<IEnumOLEVERB*>(1);
    EXPECT_EQ(control_.As<IOleObject>(IID_IOleObject)->EnumVerbs(&verbs), OLEOBJ_E_NOVERBS);
    EXPECT_EQ(verbs, nullptr);

    auto safety = control_.As<IObjectSafety>(IID_IObjectSafety);
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IPersistPropertyBag, INTERFACESAFE_FOR_UNTRUSTED_DATA,
                                                INTERFACESAFE_FOR_UNTRUSTED_DATA),
              S_OK);
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, INTERFACESAFE_FOR_UNTRUSTED_CALLER,
                                                INTERFACESAFE_FOR_UNTRUSTED_CALLER),
              E_FAIL)
        << "not safe for scripting";
    HKEY category = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT,
                            L"CLSID\\{C65A585A-0F7A-4981-992E-7F1788E1D6CB}\\Implemented Categories\\"
                            L"{7DD95802-9882-11CF-9FA9-00AA006C42C4}",
                            0, KEY_READ, &category),
              ERROR_SUCCESS);
    if (category) RegCloseKey(category);

    // Errors that say why, where a member cannot do what it promises.
    VARIANT menu;
    V_VT(&menu) = VT_DISPATCH;
    V_DISPATCH(&menu) = control_.As<IDispatch>(IID_IDispatch).Detach();
    const std::pair<const wchar_t*, std::vector<VARIANT>> calls[] = {
        {L"PopupMenu", {menu}}, {L"AsyncRead", {variant::Str(L"x"), variant::I4(0)}}, {L"CancelAsyncRead", {}}};
    for (const auto& [method, args] : calls) {
        EXPECT_EQ(box_->Call(method, args), L"<failed>");
        EXPECT_NE(box_->error, L"") << testing::PrintToString(std::wstring(method));
    }
    EXPECT_EQ(box_->Put(L"LinkMode", variant::I4(1)), Vb(438));

    // MousePointer 99 shows MouseIcon.
    box_->Put(L"MouseIcon", Icon(32514));
    box_->Put(L"MousePointer", variant::I4(99));
    SendMessageW(Text(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Text()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    box_->Get(L"MouseIcon");
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(GetCursor()), std::stoull(ByName(box_->object).Get(L"Handle")));
}

// A control placed new shows the form's font, which a save does not store,
// takes the form's text colour, and its disabled look the form's back
// colour, and follows them until they are its own; messages name it as the
// site does.
TEST_F(Hosted, ANewControlFollowsTheSitesColoursAndName) {
    DWORD fore = 0x0000FF, back = 0x00FF00;
    TestSite site;
    site.ambient[DISPID_AMBIENT_FORECOLOR] = [&] { return variant::I4(static_cast<LONG>(fore)); };
    site.ambient[DISPID_AMBIENT_BACKCOLOR] = [&] { return variant::I4(static_cast<LONG>(back)); };
    site.ambient[DISPID_AMBIENT_DISPLAYNAME] = [] { return variant::Str(L"数量"); };
    auto object = CreateByProgId().As<IOleObject>(IID_IOleObject);
    object->SetClientSite(&site);
    object.As<IPersistStreamInit>(IID_IPersistStreamInit)->InitNew();
    ByName placed(object.As<IDispatch>(IID_IDispatch));
    const auto colours = [&] {
        return placed.Get(L"ForeColor") + L" " + placed.Get(L"DisableColor") + L" " + placed.Get(L"BackColor");
    };
    EXPECT_EQ(colours(), L"255 65280 2147483653");
    EXPECT_EQ(placed.Get(L"FontSize") + placed.Get(L"FontBold"), L"12True");
    RecordingBag bag;
    ASSERT_EQ(object.As<IPersistPropertyBag>(IID_IPersistPropertyBag)->Save(&bag, TRUE, TRUE), S_OK);
    EXPECT_EQ(bag.KeysAndTypes(),
              (std::vector<std::pair<std::wstring, VARTYPE>>{{L"ForeColor", VT_I4}, {L"DisableColor", VT_I4}}));
    fore = 0x000080;
    back = 0x008000;
    auto control = object.As<IOleControl>(IID_IOleControl);
    control->OnAmbientPropertyChange(DISPID_AMBIENT_FORECOLOR);
    control->OnAmbientPropertyChange(DISPID_AMBIENT_BACKCOLOR);
    EXPECT_EQ(colours(), L"128 32768 2147483653");
    placed.Put(L"ForeColor", variant::I4(0x800000));
    fore = 0x000040;
    control->OnAmbientPropertyChange(DISPID_UNKNOWN);
    EXPECT_EQ(placed.Get(L"ForeColor"), L"8388608") << "set by hand: its own now";
    EXPECT_EQ(AnswerMessageBox([&] { EXPECT_EQ(placed.Put(L"VAlign", variant::I4(9)), S_OK); }),
              L"数量: プロパティの値が不正です。");
    EXPECT_EQ(placed.Get(L"VAlign"), L"2") << "refused in the designer by a message, not an error";
    object->SetClientSite(nullptr);
}

}  // namespace
}  // namespace brisko
