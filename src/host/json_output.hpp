#pragma once

// The program's JSON: widgets, parameter choices and provider answers.

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/requests.hpp"
#include "widgetkit/widget.hpp"

namespace qb::host {

// [{"kind", "name", "description", "families", "parameters": [{"name", "title", "type", "isEntity",
// "default", "choices", "choicesCommand"}]}], texts localized; "choices" lists an enumeration's cases and
// is null for an entity parameter, whose choices the "choicesCommand" arguments list.
nlohmann::ordered_json widgetsJson(const std::vector<AnyWidget>& widgets);

// [{"id", "title"}].
nlohmann::ordered_json optionsJson(const std::vector<ParameterOption>& options);

// {"kind", "entries": [ENTRY], "policy": {"after": DATE}}; no "policy" for placeholders and snapshots.
// With `withFamily`, also "family" (for render, which answers for several families).
nlohmann::ordered_json answerJson(const Answer& answer, bool withFamily = false);

// Pretty-printed; invalid UTF-8 in texts from files is replaced, never thrown over.
std::string printedJson(const nlohmann::ordered_json& json);

}  // namespace qb::host
