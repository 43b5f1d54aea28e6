#pragma once
// The options dialog, and the one operation that pushes the settings into every control
// that shows them.
#include "toolkit.h"

class TfrmOptions : public ui::Form {
public:
    TfrmOptions();
    ~TfrmOptions() override;

    ui::CheckBox chkAutoBrackets;
    ui::Label Label1;
    ui::GroupBox grpEnterKey;
    ui::RadioButton radCreateClose;
    ui::RadioButton radCreate;
    ui::Button btnDiscard;
    ui::Button btnApply;
    ui::GroupBox GroupBox1;
    ui::RadioButton radioPrompt;
    ui::RadioButton radioDesktop;

private:
    void FormShow();
    void btnApplyClick();
    void btnDiscardClick();
};
extern TfrmOptions* frmOptions;

void ApplyOptionsToControls();
