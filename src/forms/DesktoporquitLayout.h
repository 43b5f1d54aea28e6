#pragma once
// Every constant of the no-address-bar dialog's layout: client pixels at 96 dpi.
#include "toolkit.h"

namespace NoAddressBarLayout {

inline constexpr ui::Font Regular{};

inline constexpr ui::Form::CreateArgs Window{
    .caption = "Quillet warning", .clientWidth = 222, .clientHeight = 106, .font = Regular, .centreOnScreen = true};

inline constexpr ui::Label::CreateArgs Label1{
    .bounds = {3, 4, 214, 26},
    .caption = "Could not find address bar in Explorer window so could not determine root path.",
    .font = Regular,
    .wordWrap = true};
inline constexpr ui::Button::CreateArgs btnQuit{.bounds = {3, 36, 105, 25}, .caption = "Quit", .font = Regular};
inline constexpr ui::Button::CreateArgs btnUseDesktop{
    .bounds = {112, 36, 105, 25}, .caption = "Create on desktop", .font = Regular, .isDefault = true};
inline constexpr ui::RadioButton::CreateArgs radioPrompt{
    .bounds = {2, 66, 161, 17}, .caption = "Always prompt like this", .font = Regular, .checked = true};
inline constexpr ui::RadioButton::CreateArgs radioDesktop{
    .bounds = {2, 82, 222, 23}, .caption = "Always create on desktop if no Explorer", .font = Regular};

}  // namespace NoAddressBarLayout
