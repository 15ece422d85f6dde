// Brisko.SpinEditBox as form designers and their running programs use it,
// through Wine's ATL and a site written here: the property window's view of
// the type library, every design-time value kept through a bag, a stream and
// a storage (and records of the previous version still read), mouse events in
// the container's units, the parts' objects, OLE drops and drags between two
// controls, and the smaller points of the control contract.
#include <objsafe.h>

#include <map>
#include <set>
#include <sstream>
#include <tuple>

#include "spinedit/control/win/hosted_control_test.h"
#include "spinedit/control/win/spin_edit_box_idl.h"

namespace brisko {
namespace {

using namespace hosted;

constexpr HRESULT Vb(int number) {
    return static_cast<HRESULT>(0x800A0000u | static_cast<unsigned>(number));
}

// A design-time value of every member the property window offers, as the
// property window passes it (text; a name alone is a font or an icon), in an
// order that leaves them consistent (Value within its range, then the text
// that gives it). LinkMode can only keep its 0: no link is ever made.
std::vector<std::pair<std::wstring, std::wstring>> DesignValues() {
    std::wistringstream rows(
        L"Font Alignment=0 VAlign=0 LeftMargin=3 RightMargin=4 VMargin=2 AutoRedraw=True Appearance=0 BorderStyle=0 "
        L"ForeColor=255 FocusColor=65535 BackColor=65280 DisableColor=8421504 RaiseEvents=False Enabled=False "
        L"Caption=数量 MousePointer=2 MouseIcon RightToLeft=True AccessKeys=q KeyPreview=True IMEMode=1 "
        L"ArrowSpin=False Silence=True BeepSound=4 DecFig=1 Max=50 Min=2 Increment=0.5 Value=12.5 Text=12.5 Wrap=True "
        L"Multiple=True EnabledSpin=False VisibleSpin=False SpinMousePointer=3 SpinMouseIcon TextSelection=True "
        L"MaxLength=8 PasswordChar=* Locked=True InputControl=False LinkItem=R1C1 LinkMode=0 LinkTimeout=70 "
        L"LinkTopic=Excel|Book1 OLEDragMode=1 OLEDropMode=2");
    std::vector<std::pair<std::wstring, std::wstring>> values;
    for (std::wstring row; rows >> row;) {
        const std::size_t eq = std::min(row.find(L'='), row.size());
        values.emplace_back(row.substr(0, eq), row.substr(std::min(eq + 1, row.size())));
    }
    return values;
}

// The value of a row: the text, or for the objects a font and icons.
VARIANT DesignValue(const std::wstring& name, const std::wstring& text) {
    if (!text.empty()) return Str(text.c_str());
    return name == L"Font" ? Font(L"Arial", 11, true) : Icon(name[0] == L'M' ? 32514 : 32513);
}

// How a container loads a control from what it saved.
using Load = std::function<HRESULT(const ComPtr<IUnknown>&)>;

// A control on a form, a designer's unless the site says otherwise, loaded
// with load or new.
struct Designed {
    explicit Designed(const Load& load = {}, const TestSite& on = TestSite()) : site(on), object(CreateByProgId()) {
        object.As<IOleObject>(IID_IOleObject)->SetClientSite(&site);
        EXPECT_EQ(load ? load(object) : object.As<IPersistStreamInit>(IID_IPersistStreamInit)->InitNew(), S_OK);
    }
    ~Designed() {
        object.As<IOleObject>(IID_IOleObject)->Close(OLECLOSE_NOSAVE);
        object.As<IOleObject>(IID_IOleObject)->SetClientSite(nullptr);
    }
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

// The property window offers the browsable members, each of which is
// stored, and describes every member in Japanese, decoded intact: a property
// says whether it is writable, and the characters whose code page 932 form
// ends in a backslash byte (能, 表, 貼), the ones a careless build mangles,
// come through.
TEST_F(TypeLibTest, ThePropertyWindowShowsWhatPersistsAndDescribesEveryMember) {
    std::set<std::wstring> settable, hidden, designed;
    std::map<MEMBERID, bool> writable;
    const auto members = Members(vtable.Get());
    for (const Member& m : members) {
        if (m.flags & FUNCFLAG_FNONBROWSABLE)
            hidden.insert(m.name);
        else if (m.kind != INVOKE_PROPERTYGET && m.kind != INVOKE_FUNC)
            settable.insert(m.name);
        if (m.kind != INVOKE_FUNC) writable[m.id] = writable[m.id] || m.kind != INVOKE_PROPERTYGET;
    }
    EXPECT_EQ(hidden, (std::set<std::wstring>{L"FontBold", L"FontItalic", L"FontName", L"FontSize", L"FontStrikethru",
                                              L"FontUnderline", L"NormalText", L"SelStart", L"SelLength", L"SelText",
                                              L"IsFocused", L"hWnd", L"hWndText", L"hWndSpin", L"TextBoxObject",
                                              L"SpinBtnObject"}));
    for (const auto& [name, text] : DesignValues()) designed.insert(name);
    EXPECT_EQ(settable, designed) << "every member the property window offers is stored";
    for (const Member& m : members) {
        const std::wstring help = Doc(vtable.Get(), m.id, true);
        const wchar_t* says = m.kind == INVOKE_FUNC ? L""
                              : writable[m.id]      ? L"値の取得も可能です。"
                                                    : L"読み取り専用です。";
        EXPECT_TRUE(!help.empty() && help.find(says) != std::wstring::npos) << testing::PrintToString(m.name);
        if (m.name == L"DecFig") {
            EXPECT_EQ(help,
                      L"テキストボックスに表示する値の小数点以下の桁数、および桁精度を設定します。値の取得も可能です。"
                      L"このプロパティの示す桁よりも下位の桁は切り捨てられます。");
        }
    }
}

// What a save writes: a form file's bag with the types its reader expects,
// and a stream that ends where the record does (what the container writes
// next left where it was), within GetSizeMax. Every value comes back from
// each; a control is loaded once only; a record of the previous version loads,
// and one cut short, or with its picture's bytes garbled, fails and leaves the
// defaults.
TEST_F(Hosted, EveryDesignTimeValueSurvivesABagAStreamAndAStorageAndOldRecordsLoad) {
    Designed original;
    ByName set(original.object.As<IDispatch>(IID_IDispatch));
    const auto values = DesignValues();
    for (const auto& [name, text] : values)
        EXPECT_EQ(set.Put(name.c_str(), DesignValue(name, text)), S_OK) << set.error;
    RecordingBag bag;
    ComPtr<IStream> stream;
    ComPtr<IStorage> storage;
    ASSERT_EQ(original.object.As<IPersistPropertyBag>(IID_IPersistPropertyBag)->Save(&bag, TRUE, TRUE), S_OK);
    std::map<std::wstring, VARTYPE> types;
    for (const auto& [key, type] : bag.KeysAndTypes()) types[key] = type;
    EXPECT_EQ((std::vector{types[L"Font"], types[L"VMargin"], types[L"BackColor"], types[L"Enabled"], types[L"Caption"],
                           types[L"MouseIcon"], types[L"Value"], types[L"DecFig"], types[L"MaxLength"]}),
              (std::vector<VARTYPE>{VT_DISPATCH, VT_I2, VT_I4, VT_BOOL, VT_BSTR, VT_DISPATCH, VT_I4, VT_UI1, VT_I2}));
    CreateStreamOnHGlobal(nullptr, TRUE, stream.Put());
    auto persist = original.object.As<IPersistStreamInit>(IID_IPersistStreamInit);
    ULARGE_INTEGER max{}, end{};
    persist->GetSizeMax(&max);
    ASSERT_EQ(persist->Save(stream.Get(), TRUE), S_OK);
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &end);
    EXPECT_LE(end.QuadPart, max.QuadPart);
    const char trailer[] = "next control";
    stream->Write(trailer, sizeof trailer, nullptr);
    StgCreateDocfile(nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE, 0,
                     storage.Put());
    ASSERT_EQ(original.object.As<IPersistStorage>(IID_IPersistStorage)->Save(storage.Get(), FALSE), S_OK);
    const Load loads[] = {
        [&](const ComPtr<IUnknown>& o) { return o.As<IPersistPropertyBag>(IID_IPersistPropertyBag)->Load(&bag, &bag); },
        [&](const ComPtr<IUnknown>& o) {
            stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
            return o.As<IPersistStreamInit>(IID_IPersistStreamInit)->Load(stream.Get());
        },
        [&](const ComPtr<IUnknown>& o) { return o.As<IPersistStorage>(IID_IPersistStorage)->Load(storage.Get()); },
    };
    for (const auto& load : loads) {
        Designed copy(load);
        for (const auto& [name, text] : values)
            EXPECT_EQ(copy.Get(name.c_str()), text.empty() ? original.Get(name.c_str()) : text)
                << testing::PrintToString(name) << " #" << (&load - loads);
        EXPECT_EQ(copy.object.As<IPersistStreamInit>(IID_IPersistStreamInit)->InitNew(), E_UNEXPECTED);
    }
    char next[sizeof trailer] = {};
    stream->Read(next, sizeof next, nullptr);
    EXPECT_STREQ(next, trailer);

    // The picture's own bytes follow its key and their size.
    std::vector<std::uint8_t> record(end.QuadPart), old;
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    stream->Read(record.data(), static_cast<ULONG>(record.size()), nullptr);
    const std::wstring key = L"MouseIcon";
    const auto* k = reinterpret_cast<const std::uint8_t*>(key.data());
    const auto at = std::search(record.begin(), record.end(), k, k + 2 * key.size());
    ASSERT_NE(at, record.end());
    std::vector<std::uint8_t> cut(record.begin(), record.end() - 1), garbled = record;
    std::fill_n(garbled.begin() + (at - record.begin()) + 2 * key.size() + 4, 16, 0xFF);
    // A record as the previous version wrote it: caption, one decimal, range
    // 4 to 32, text 12.5, disabled, left-aligned, a back colour.
    const std::string kOld =
        "4253454201000000DD0000000B00050941006C00690067006E006D0065006E0074000000000005094200610063006B0043006F006C00"
        "6F0072004080FF00020745006E00610062006C0065006400000607430061007000740069006F006E0004000000BF30D6306E30455E05"
        "05560061006C00750065007D00000005034D00610078004001000005034D0069006E0028000000050949006E006300720065006D0065"
        "006E0074000A000000030644006500630046006900670001020B45006E00610062006C00650064005300700069006E00000604540065"
        "007800740004000000310032002E003500";
    for (std::size_t i = 0; i < kOld.size(); i += 2) old.push_back(std::stoi(kOld.substr(i, 2), nullptr, 16));
    const auto some = [](Designed& d) {
        std::wstring got;
        for (const wchar_t* name :
             {L"Caption", L"Value", L"Max", L"Min", L"Text", L"Enabled", L"Alignment", L"BackColor", L"RightToLeft"})
            got += d.Get(name) + L" ";
        return got;
    };
    Designed fresh;
    for (const auto& [bytes, expected] : {std::pair{cut, STG_E_READFAULT}, {garbled, E_FAIL}, {old, S_OK}}) {
        CreateStreamOnHGlobal(nullptr, TRUE, stream.Put());
        stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
        HRESULT loaded = S_OK;
        Designed copy([&](const ComPtr<IUnknown>& o) { return loaded = loads[1](o), S_OK; });
        EXPECT_EQ(loaded, expected);
        EXPECT_EQ(some(copy), expected == S_OK ? L"タブの幅 12.5 32 4 12.5 False 0 16744512 False " : some(fresh));
    }
}

// The X and Y of a mouse event: twips under Wine's ATL, whose site converts
// nothing, and a site's own units where it converts HIMETRIC.
TEST_F(Hosted, MouseEventsComeInTheContainersUnits) {
    Designed own({}, TestSite(true, form_.Get(), 100));  // hundredths of HIMETRIC: millimetres
    ASSERT_EQ(own.object.As<IOleObject>(IID_IOleObject)
                  ->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &own.site, 0, form_.Get(), &own.site.place),
              S_OK);
    Pump(50);
    for (IUnknown* control : {control_.Get(), own.object.Get()}) {
        ByName box(ComPtr<IUnknown>(control).As<IDispatch>(IID_IDispatch));
        Sink sink(control);
        float x = -1, y = -1;
        sink.peek = [&](const std::wstring& event, DISPPARAMS& p) {
            if (event == L"MouseDown") x = V_R4(&p.rgvarg[1]), y = V_R4(&p.rgvarg[0]);
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
}

// TextBoxObject and SpinBtnObject act on the control's own state, and tell
// why they no longer can once the control has gone.
TEST_F(Hosted, ThePartsActOnTheControlUntilItGoes) {
    ByName text = box_->Object(L"TextBoxObject"), spin = box_->Object(L"SpinBtnObject");
    text.Set({{L"Text", Str(L"42")}});
    spin.Set({{L"Max", R8(40)}, {L"Enabled", Bool(false)}});
    text.Set({{L"SelStart", I4(1)}});
    EXPECT_EQ(box_->Get(L"Text") + box_->Get(L"Value") + box_->Get(L"Max") + box_->Get(L"EnabledSpin") +
                  box_->Get(L"SelStart") + spin.Get(L"Value"),
              L"424040False140");
    EXPECT_EQ(text.Window(L"hWnd"), Text());
    EXPECT_EQ(spin.Window(L"hWnd"), box_->Window(L"hWndSpin"));
    EXPECT_EQ(text.Put(L"Visible", Bool(false)), Vb(380));
    EXPECT_NE(text.error.find(L"Visible"), std::wstring::npos) << "it says what to set instead";
    TearDown();  // the form closes
    EXPECT_EQ(text.Get(L"Text"), L"<failed>");
    EXPECT_EQ(text.error, L"この部品の SpinEditBox コントロールは既に解放されています。");
    EXPECT_EQ(spin.Put(L"Value", R8(1)), Vb(440));
}

// What a drag from one control to another does: the first fills the data in
// OLEStartDrag (or drags its selection by itself), the second takes the drop
// by hand (its events in order, the data they read) or by itself (through
// its input filter), and the first hears the effect in OLECompleteDrag.
TEST_F(Hosted, DragsBetweenTwoControlsRaiseTheirEventsAndDropsGoThroughTheFilter) {
    using Offer = std::function<void(ByName&)>;
    const auto text = [](const wchar_t* t) { return Offer([t](ByName& d) { d.Call(L"SetData", {Str(t)}); }); };
    struct Case {
        const char* what;
        std::int32_t dropMode;
        Offer offer;  // none: the first control drags its selected text itself
        bool locked;
        std::wstring read, events, result;  // what the drop's handler read, its events, the second's text
        LONG effect;
    };
    const Offer files = [](ByName& d) {
        ByName list = d.Object(L"Files");
        list.Call(L"Add", {Str(L"C:\\a.txt")});
        list.Call(L"Add", {Str(L"C:\\b c.txt")});
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
        target.Set({{L"Alignment", I4(0)}, {L"Text", Str(L"12")}});
        target.Set({{L"OLEDropMode", I4(c.dropMode)}, {L"Locked", Bool(c.locked)}});
        box_->Set({{L"OLEDragMode", I4(c.offer ? 0 : 1)}, {L"Text", Str(L"35")}});
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
            read = data.Call(L"GetData", {I4(1)});
            if (read == L"<failed>") read = L"!" + data.error;
            ByName list = data.Object(L"Files");
            read += L"|" + list.Get(L"Count");
            if (list.Get(L"Count") != L"0") read += L"|" + list.Call(L"Item", {I4(1)}, DISPATCH_PROPERTYGET);
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

TEST_F(Hosted, TheSmallerPointsOfTheControlContract) {
    // Property sinks, as the property window listens, hear which member changed.
    Sink notify(control_.Get(), IID_IPropertyNotifySink);
    box_->Set({{L"Caption", Str(L"a")}, {L"Text", Str(L"5")}, {L"FontBold", Bool(true)}});
    notify.Unadvise();
    EXPECT_EQ(notify.changed, (std::vector<DISPID>{DISPID_SPINEDIT_CAPTION, DISPID_TEXT, DISPID_VALUE,
                                                   DISPID_SPINEDIT_FONTBOLD, DISPID_FONT}));

    IEnumOLEVERB* verbs = reinterpret_cast<IEnumOLEVERB*>(1);
    EXPECT_EQ(control_.As<IOleObject>(IID_IOleObject)->EnumVerbs(&verbs), OLEOBJ_E_NOVERBS);
    EXPECT_EQ(verbs, nullptr);

    // Safe for data from anywhere, not for scripting.
    auto safety = control_.As<IObjectSafety>(IID_IObjectSafety);
    for (const auto& [iid, option, expected] :
         {std::tuple{IID_IPersistPropertyBag, INTERFACESAFE_FOR_UNTRUSTED_DATA, S_OK},
          {IID_IDispatch, INTERFACESAFE_FOR_UNTRUSTED_CALLER, E_FAIL}})
        EXPECT_EQ(safety->SetInterfaceSafetyOptions(iid, option, option), expected) << option;
    HKEY category = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT,
                            L"CLSID\\{C65A585A-0F7A-4981-992E-7F1788E1D6CB}\\Implemented Categories\\"
                            L"{7DD95802-9882-11CF-9FA9-00AA006C42C4}",
                            0, KEY_READ, &category),
              ERROR_SUCCESS);
    if (category) RegCloseKey(category);

    // Errors that say why, where a member cannot do what it promises.
    VARIANT menu = Holding([&](void** out) { return control_->QueryInterface(IID_IDispatch, out); });
    const std::pair<const wchar_t*, std::vector<VARIANT>> calls[] = {
        {L"PopupMenu", {menu}}, {L"AsyncRead", {Str(L"x"), I4(0)}}, {L"CancelAsyncRead", {}}};
    for (const auto& [method, args] : calls) {
        EXPECT_EQ(box_->Call(method, args), L"<failed>");
        EXPECT_NE(box_->error, L"") << testing::PrintToString(std::wstring(method));
    }
    EXPECT_EQ(box_->Put(L"LinkMode", I4(1)), Vb(438));

    // MousePointer 99 shows MouseIcon.
    box_->Set({{L"MouseIcon", Icon(32514)}, {L"MousePointer", I4(99)}});
    SendMessageW(Text(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Text()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(GetCursor()), std::stoull(box_->Object(L"MouseIcon").Get(L"Handle")));
}

// A control placed new shows the form's font, which a save does not store,
// takes the form's text colour, and its disabled look the form's back
// colour, and follows them until they are its own; messages name it as the
// site does.
TEST_F(Hosted, ANewControlFollowsTheSitesColoursAndName) {
    DWORD fore = 0x0000FF, back = 0x00FF00;
    TestSite site;
    site.ambient[DISPID_AMBIENT_FORECOLOR] = [&] { return I4(static_cast<LONG>(fore)); };
    site.ambient[DISPID_AMBIENT_BACKCOLOR] = [&] { return I4(static_cast<LONG>(back)); };
    site.ambient[DISPID_AMBIENT_DISPLAYNAME] = [] { return Str(L"数量"); };
    Designed designed({}, site);
    ByName placed(designed.object.As<IDispatch>(IID_IDispatch));
    const auto colours = [&] {
        return placed.Get(L"ForeColor") + L" " + placed.Get(L"DisableColor") + L" " + placed.Get(L"BackColor");
    };
    EXPECT_EQ(colours(), L"255 65280 2147483653");
    EXPECT_EQ(placed.Get(L"FontSize") + placed.Get(L"FontBold"), L"12True");
    RecordingBag bag;
    ASSERT_EQ(designed.object.As<IPersistPropertyBag>(IID_IPersistPropertyBag)->Save(&bag, TRUE, TRUE), S_OK);
    EXPECT_EQ(bag.KeysAndTypes(),
              (std::vector<std::pair<std::wstring, VARTYPE>>{{L"ForeColor", VT_I4}, {L"DisableColor", VT_I4}}));
    fore = 0x000080;
    back = 0x008000;
    auto control = designed.object.As<IOleControl>(IID_IOleControl);
    control->OnAmbientPropertyChange(DISPID_AMBIENT_FORECOLOR);
    control->OnAmbientPropertyChange(DISPID_AMBIENT_BACKCOLOR);
    EXPECT_EQ(colours(), L"128 32768 2147483653");
    placed.Put(L"ForeColor", I4(0x800000));
    fore = 0x000040;
    control->OnAmbientPropertyChange(DISPID_UNKNOWN);
    EXPECT_EQ(placed.Get(L"ForeColor"), L"8388608") << "set by hand: its own now";
    EXPECT_EQ(AnswerMessageBox([&] { EXPECT_EQ(placed.Put(L"VAlign", I4(9)), S_OK); }),
              L"数量: プロパティの値が不正です。");
    EXPECT_EQ(placed.Get(L"VAlign"), L"2") << "refused in the designer by a message, not an error";
}

}  // namespace
}  // namespace brisko
