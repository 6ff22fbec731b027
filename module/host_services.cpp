#include "module/host_services.h"

namespace {

PANEL_SERVICES* Services() { return ImportTable.panels.table; }

}  // namespace

MODULE_VAR_VALUE LookupToken(SINT32 token) {
    MODULE_VAR var{};
    var.id = token;
    if (PANEL_SERVICES* services = Services(); services && services->lookup_var) {
        services->lookup_var(&var);
    }
    return var.var_value;
}

FLOAT64 LookupNumber(SINT32 token) { return LookupToken(token).n; }

SINT32 LookupInteger(SINT32 token) { return LookupToken(token).d; }

void TriggerKeyEvent(UINT32 eventId, UINT32 value) {
    if (PANEL_SERVICES* services = Services(); services && services->trigger_key_event) {
        services->trigger_key_event(eventId, value);
    }
}

void PanelWindowToggle(UINT32 windowId) {
    if (PANEL_SERVICES* services = Services(); services && services->panel_window_toggle) {
        services->panel_window_toggle(windowId);
    }
}

const char* ExecuteCalculatorText(const char* code) {
    const char* text = nullptr;
    if (PANEL_SERVICES* services = Services(); services && services->execute_calculator_code) {
        services->execute_calculator_code(code, nullptr, nullptr, &text);
    }
    return text;
}
