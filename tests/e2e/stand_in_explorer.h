#pragma once
// A window that looks to Quillet like a Windows Explorer window showing a folder: a top-level
// "CabinetWClass" whose address bar is the Edit at the end of the direct-child chain
// WorkerW > ReBarWindow32 > ComboBoxEx32 > ComboBox > Edit. The driver owns it, so the driver
// must keep pumping messages while Quillet reads the address bar.
#include <windows.h>

#include <string>

#include "owner.h"

class StandInExplorer {
public:
    StandInExplorer(const std::string& folder, const RECT& bounds);
    StandInExplorer(const StandInExplorer&) = delete;
    StandInExplorer& operator=(const StandInExplorer&) = delete;

    // True when the whole chain exists and its Edit holds the folder.
    bool Ready() const;
    // Makes the window the foreground window, as it is when the user launches Quillet from it.
    bool BringToFront() const;
    // The Edit found the way Quillet finds it: the first child of each class in turn.
    HWND AddressBar() const;
    // Takes the address bar away, as in an Explorer window that shows no path.
    void RemoveAddressBar();
    // Closes the window, as the user closes Explorer.
    void Close() { window_.reset(); }

private:
    ClassRegistration cabinetClass_;
    ClassRegistration workerClass_;
    ClassRegistration rebarClass_;
    WindowOwner window_;
    std::string folder_;
};
