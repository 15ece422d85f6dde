#pragma once
// The IDE's add-in interface, IDTExtensibility2, as a dual interface. The IDE's
// add-in manager calls it through this vtable; the stand-in IDE does the same.
#include <oaidl.h>

#include "host/connect_mode.h"

namespace brisko {

// {B65AD801-ABAF-11D0-BB8B-00A0C90F2744}
inline constexpr IID IID_IDTExtensibility2 = {
    0xB65AD801, 0xABAF, 0x11D0, {0xBB, 0x8B, 0x00, 0xA0, 0xC9, 0x0F, 0x27, 0x44}};

// DISPIDs of the five methods, in vtable order.
enum ExtensibilityDispId : DISPID {
    DISPID_OnConnection = 1,
    DISPID_OnDisconnection = 2,
    DISPID_OnAddInsUpdate = 3,
    DISPID_OnStartupComplete = 4,
    DISPID_OnBeginShutdown = 5,
};

struct IDTExtensibility2 : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* Application, long ConnectMode, IDispatch* AddInInst,
                                                   SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnDisconnection(long RemoveMode, SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) = 0;
};

// The outgoing dispinterface of VBE.Events.VBComponentsEvents; ItemAdded is DISPID 1.
// {0002E116-0000-0000-C000-000000000046}
inline constexpr IID DIID_VBComponentsEvents = {
    0x0002E116, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr DISPID DISPID_ItemAdded = 1;
inline constexpr DISPID DISPID_ItemRemoved = 2;

// The outgoing dispinterface of VBE.VBProjects (ItemAdded, ItemRemoved,
// ItemRenamed, ItemActivated: DISPIDs 1 to 4), each with the VBProject.
// {0002E103-0000-0000-C000-000000000046}
inline constexpr IID DIID_VBProjectsEvents = {
    0x0002E103, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The add-in's class and ProgID.
// {6C1F3A52-9B7E-4D21-A8C4-3E5B2F0D7A91}
inline constexpr CLSID CLSID_Loader = {0x6C1F3A52, 0x9B7E, 0x4D21, {0xA8, 0xC4, 0x3E, 0x5B, 0x2F, 0x0D, 0x7A, 0x91}};
inline constexpr const char* kLoaderProgId = "Brisko.Loader";

}  // namespace brisko
