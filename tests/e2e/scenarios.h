#pragma once
// The end-to-end scenarios: each starts its own Quillet beside its own stand-in Explorer window.
#include <span>

#include "rig.h"
#include "scene.h"

struct Scenario {
    const char* name;
    void (*run)(Report& report, const Bench& bench);
};

std::span<const Scenario> AllScenarios();
