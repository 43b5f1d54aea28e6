#pragma once
// Every constant of the options dialog's layout: client pixels at 96 dpi; the radio buttons
// are placed in their group boxes.
#include "toolkit.h"

namespace OptionsLayout {

inline constexpr ui::Font Regular{};

inline constexpr ui::Form::CreateArgs Window{
    .caption = "Options", .clientWidth = 383, .clientHeight = 133, .left = 425, .top = 300, .font = Regular};

// The box is too narrow to show a caption: Label1 beside it carries the text, with room to spare
// for a TrueType font's rounding at any DPI.
inline constexpr ui::CheckBox::CreateArgs chkAutoBrackets{.bounds = {3, 5, 17, 17}, .font = Regular, .checked = true};
inline constexpr ui::Label::CreateArgs Label1{
    .bounds = {22, 7, 130, 13}, .caption = "Automatic <> completion", .font = Regular};
inline constexpr ui::GroupBox::CreateArgs grpEnterKey{
    .bounds = {2, 33, 186, 65}, .caption = "Enter key presses...", .font = Regular};
inline constexpr ui::RadioButton::CreateArgs radCreateClose{
    .bounds = {8, 15, 121, 25}, .caption = "Create and Close", .font = Regular};
inline constexpr ui::RadioButton::CreateArgs radCreate{
    .bounds = {8, 36, 129, 25}, .caption = "Create and stay open", .font = Regular, .checked = true};
inline constexpr ui::Button::CreateArgs btnDiscard{
    .bounds = {169, 103, 105, 25}, .caption = "Discard changes", .font = Regular};
inline constexpr ui::Button::CreateArgs btnApply{.bounds = {274, 103, 105, 25}, .caption = "Apply", .font = Regular};
inline constexpr ui::GroupBox::CreateArgs GroupBox1{
    .bounds = {194, 33, 186, 65}, .caption = "If Explorer window not found", .font = Regular};
inline constexpr ui::RadioButton::CreateArgs radioPrompt{
    .bounds = {9, 13, 168, 29}, .caption = "Prompt quit/create on desktop", .font = Regular, .checked = true};
inline constexpr ui::RadioButton::CreateArgs radioDesktop{
    .bounds = {9, 40, 168, 17}, .caption = "Always create on desktop", .font = Regular};

}  // namespace OptionsLayout
