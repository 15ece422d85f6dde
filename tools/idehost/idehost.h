#pragma once
// The stand-in IDE as a library: windows (IdeHost), object model (Vbe and
// its objects), the add-in manager's part (AddInClient), real input,
// screenshots and the scenario runner (Scenario).
#include "tools/idehost/addin_client.h"
#include "tools/idehost/dispatch.h"
#include "tools/idehost/ide_host.h"
#include "tools/idehost/object_model.h"
#include "tools/idehost/scenario.h"
