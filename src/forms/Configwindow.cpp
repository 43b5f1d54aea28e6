#include "Configwindow.h"

#include "ConfigwindowLayout.h"
#include "Desktoporquit.h"
#include "Optionsloadsave.h"
#include "Unit1.h"

TfrmOptions* frmOptions = nullptr;

namespace {
constexpr int OffsetFromMainWindow = 10;
}

TfrmOptions::TfrmOptions()
    : ui::Form(OptionsLayout::Window),
      chkAutoBrackets(*this, OptionsLayout::chkAutoBrackets),
      Label1(*this, OptionsLayout::Label1),
      grpEnterKey(*this, OptionsLayout::grpEnterKey),
      radCreateClose(grpEnterKey, OptionsLayout::radCreateClose),
      radCreate(grpEnterKey, OptionsLayout::radCreate),
      btnDiscard(*this, OptionsLayout::btnDiscard),
      btnApply(*this, OptionsLayout::btnApply),
      GroupBox1(*this, OptionsLayout::GroupBox1),
      radioPrompt(GroupBox1, OptionsLayout::radioPrompt),
      radioDesktop(GroupBox1, OptionsLayout::radioDesktop) {
    onShow = [this] { FormShow(); };
    btnApply.onClick = [this] { btnApplyClick(); };
    btnDiscard.onClick = [this] { btnDiscardClick(); };
    // Without Apply, nothing changes.
    CloseOnEscape({&chkAutoBrackets, &radCreateClose, &radCreate, &btnDiscard, &btnApply, &radioPrompt, &radioDesktop});
    frmOptions = this;
}

TfrmOptions::~TfrmOptions() {
    frmOptions = nullptr;
}

// The settings in force every time: edits abandoned with the close box, Alt+F4 or Esc are gone.
void TfrmOptions::FormShow() {
    // The box is named after the label beside it; when shown, so that a start loads no oleacc.
    chkAutoBrackets.SetAccessibleName(OptionsLayout::Label1.caption);
    ApplyOptionsToControls();
    MoveTo(Form1->Left() + OffsetFromMainWindow, Form1->Top() + OffsetFromMainWindow);
}

void TfrmOptions::btnApplyClick() {
    OptionSettings.autoBrackets = chkAutoBrackets.Checked();
    OptionSettings.enterKeyAction = radCreateClose.Checked() ? 0 : 1;
    OptionSettings.explorerMissingPrompt = radioPrompt.Checked();
    SaveOptions(OptionsChange::Settings);
    ApplyOptionsToControls();
    Close();
}

void TfrmOptions::btnDiscardClick() {
    ApplyOptionsToControls();
    Close();
}

void ApplyOptionsToControls() {
    frmOptions->chkAutoBrackets.SetChecked(OptionSettings.autoBrackets);
    // The old default button loses its flag first, so there are never two.
    if (OptionSettings.enterKeyAction == 0) {
        frmOptions->radCreate.SetChecked(false);
        frmOptions->radCreateClose.SetChecked(true);
        Form1->btnCreate.SetDefault(false);
        Form1->btnCreateQuit.SetDefault(true);
    } else if (OptionSettings.enterKeyAction == 1) {
        frmOptions->radCreateClose.SetChecked(false);
        frmOptions->radCreate.SetChecked(true);
        Form1->btnCreateQuit.SetDefault(false);
        Form1->btnCreate.SetDefault(true);
    }
    const bool prompt = OptionSettings.explorerMissingPrompt;
    frmOptions->radioPrompt.SetChecked(prompt);
    frmNoAddressBarQuery->radioPrompt.SetChecked(prompt);
    frmOptions->radioDesktop.SetChecked(!prompt);
    frmNoAddressBarQuery->radioDesktop.SetChecked(!prompt);
}
