#pragma once
// How the IDE's add-in manager connects the add-in, and what each way asks
// of the connection.
namespace brisko {

// ext_ConnectMode, with the object model's names; the values reach the
// add-in over COM.
enum ConnectMode : long { ext_cm_AfterStartup = 0, ext_cm_Startup = 1, ext_cm_External = 2, ext_cm_CommandLine = 3 };

struct ConnectionSteps {
    // The IDE's windows are open already: each gets its tab now.
    bool addOpenWindows = false;
    // The IDE opens its windows after this: the bar stays frozen until the
    // start-up is complete, instead of being drawn for every window.
    bool freezeUntilStartupComplete = false;
};

constexpr ConnectionSteps StepsFor(long mode) {
    return {mode == ext_cm_AfterStartup, mode == ext_cm_Startup};
}

}  // namespace brisko
