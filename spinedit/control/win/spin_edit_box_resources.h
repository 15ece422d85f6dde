#pragma once
// Resources of the SpinEditBox control inside Brisko.dll, shared by the
// resource script and the registration that points containers at them.

// The type library: LoadTypeLib finds TYPELIB 1 of a module by default.
#define BRISKO_SPINEDITBOX_TYPELIB 1
// The 16 x 15 toolbox picture named by the class's ToolboxBitmap32 key.
#define BRISKO_SPINEDITBOX_TOOLBOX_BITMAP 201
