#pragma once
// Every constant of the main window's layout: client pixels at 96 dpi.
#include "toolkit.h"

namespace Form1Layout {

inline constexpr const char* SiteAddress = "https://quillet.example/";

inline constexpr ui::Font Regular{};
inline constexpr ui::Font Bold{.bold = true};
inline constexpr ui::Font Italic{.italic = true};
inline constexpr ui::Font Link{.italic = true, .underline = true, .linkColour = true};
inline constexpr ui::Font Courier{.face = "Courier New"};

inline constexpr ui::Form::CreateArgs Window{
    .caption = "Quillet", .clientWidth = 578, .clientHeight = 48, .left = 498, .top = 47, .font = Regular};

inline constexpr ui::Label::CreateArgs Label1{
    .bounds = {1, 5, 67, 13}, .caption = "Folder spec", .hint = "See help for advanced syntax", .font = Bold};
inline constexpr ui::Label::CreateArgs lblVersionInfo{
    .bounds = {-1, 29, 211, 13}, .caption = "Quillet 2.1.1", .font = Italic, .transparent = true};
inline constexpr ui::Label::CreateArgs lblSiteLink{
    .bounds = {217, 29, 66, 13}, .caption = "Quillet team", .hint = SiteAddress, .font = Link, .transparent = true};

// Created in tab order: ComboBox1 first, then the buttons in the order below.
inline constexpr ui::ComboBox::CreateArgs ComboBox1{
    .bounds = {71, 3, 465, 21}, .font = Regular, .sorted = true, .itemHeight = 13};
inline constexpr ui::Button::CreateArgs btnHistoryAdd{
    .bounds = {537, 3, 20, 20}, .caption = "+", .hint = "Add to history", .font = Regular};
inline constexpr ui::Button::CreateArgs btnHistoryRemove{
    .bounds = {557, 3, 20, 20}, .caption = "-", .hint = "Remove from history", .font = Courier};
inline constexpr ui::Button::CreateArgs btnCreate{.bounds = {368, 27, 57, 17},
                                                  .caption = "Create",
                                                  .hint = "Create folder structure defined above",
                                                  .font = Bold,
                                                  .isDefault = true};
inline constexpr ui::Button::CreateArgs btnCreateQuit{
    .bounds = {425, 27, 95, 17}, .caption = "Create && Close", .font = Bold};
inline constexpr ui::Button::CreateArgs btnQuit{
    .bounds = {520, 27, 57, 17}, .caption = "Close", .hint = "Close without making folders", .font = Bold};
inline constexpr ui::Button::CreateArgs btnConfig{
    .bounds = {289, 27, 57, 17}, .caption = "Options", .hint = "Configuration", .font = Bold};
inline constexpr ui::Button::CreateArgs btnHelp{
    .bounds = {346, 27, 17, 17}, .caption = "?", .hint = "Help", .font = Bold};

}  // namespace Form1Layout
