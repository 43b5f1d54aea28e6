#pragma once
// The dialog shown when the remembered window has no address bar: quit, or create on the
// desktop, and whether to ask at all next time.
#include "toolkit.h"

class TfrmNoAddressBarQuery : public ui::Form {
public:
    TfrmNoAddressBarQuery();
    ~TfrmNoAddressBarQuery() override;

    ui::Label Label1;
    ui::Button btnQuit;
    ui::Button btnUseDesktop;
    ui::RadioButton radioPrompt;
    ui::RadioButton radioDesktop;

private:
    void btnUseDesktopClick();
    void btnQuitClick();
    void radioDesktopClick();
    void radioPromptClick();
};
extern TfrmNoAddressBarQuery* frmNoAddressBarQuery;
