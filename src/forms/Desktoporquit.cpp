#include "Desktoporquit.h"

#include "Configwindow.h"
#include "DesktoporquitLayout.h"
#include "Optionsloadsave.h"
#include "Unit1.h"

TfrmNoAddressBarQuery* frmNoAddressBarQuery = nullptr;

TfrmNoAddressBarQuery::TfrmNoAddressBarQuery()
    : ui::Form(NoAddressBarLayout::Window),
      Label1(*this, NoAddressBarLayout::Label1),
      btnQuit(*this, NoAddressBarLayout::btnQuit),
      btnUseDesktop(*this, NoAddressBarLayout::btnUseDesktop),
      radioPrompt(*this, NoAddressBarLayout::radioPrompt),
      radioDesktop(*this, NoAddressBarLayout::radioDesktop) {
    btnQuit.onClick = [this] { btnQuitClick(); };
    btnUseDesktop.onClick = [this] { btnUseDesktopClick(); };
    radioPrompt.onClick = [this] { radioPromptClick(); };
    radioDesktop.onClick = [this] { radioDesktopClick(); };
    CloseOnEscape({&btnQuit, &btnUseDesktop, &radioPrompt, &radioDesktop});
    frmNoAddressBarQuery = this;
}

TfrmNoAddressBarQuery::~TfrmNoAddressBarQuery() {
    frmNoAddressBarQuery = nullptr;
}

void TfrmNoAddressBarQuery::btnUseDesktopClick() {
    TargetState.desktopMode = true;
    Form1->SetCaption("Quillet on desktop");
    Close();
}

void TfrmNoAddressBarQuery::btnQuitClick() {
    TargetState.desktopMode = false;
    Form1->SetCaption("Quillet");
    Close();
}

void TfrmNoAddressBarQuery::radioDesktopClick() {
    OptionSettings.explorerMissingPrompt = false;
    SaveOptions(OptionsChange::Settings);
    ApplyOptionsToControls();
}

void TfrmNoAddressBarQuery::radioPromptClick() {
    OptionSettings.explorerMissingPrompt = true;
    SaveOptions(OptionsChange::Settings);
    ApplyOptionsToControls();
}
