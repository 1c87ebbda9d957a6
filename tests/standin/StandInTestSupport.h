#pragma once

// Helpers of the stand-in control's tests. Linking this file also initialises OLE on the test thread
// for the whole run, as a page host's thread does.

#include <windows.h>
#include <unknwn.h>

namespace standintest {

// The object's code lives in the stand-in DLL (and not in Wine's control).
bool IsStandInObject(IUnknown* object);

// The stand-in DLL's own DllCanUnloadNow: S_OK once none of its objects is alive.
HRESULT StandInCanUnloadNow();

} // namespace standintest
