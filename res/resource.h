#pragma once
// Resource ids shared by Quillet.rc and the toolkit that loads them.
#define IDI_QUILLET 1
