#include "host/json_output.hpp"

#include "platform/localization.hpp"
#include "platform/terminal_text.hpp"

namespace qb::host {

nlohmann::ordered_json widgetsJson(const std::vector<AnyWidget>& widgets) {
    auto list = nlohmann::ordered_json::array();
    for (const auto& widget : widgets) {
        nlohmann::ordered_json object;
        object["kind"] = widget.kind();
        object["name"] = localized(widget.displayName());
        object["description"] = localized(widget.description());
        object["families"] = nlohmann::ordered_json::array();
        for (auto family : widget.families()) object["families"].push_back(std::string(name(family)));
        object["parameters"] = nlohmann::ordered_json::array();
        for (const auto& parameter : widget.parameters()) {
            nlohmann::ordered_json p;
            p["name"] = parameter.name;
            p["title"] = localized(parameter.title);
            p["type"] = localized(parameter.typeDisplayName);
            p["isEntity"] = parameter.isEntity;
            p["default"] = parameter.defaultValue;
            // An enumeration's cases are fixed and listed here; an entity's choices come from the home's
            // files at the time of asking, so the listing names the command that reads them instead.
            p["choices"] =
                parameter.isEntity
                    ? nlohmann::ordered_json(nullptr)
                    : optionsJson(widget.options(parameter.name).value_or(std::vector<ParameterOption>{}));
            p["choicesCommand"] = {"options", widget.kind(), parameter.name};
            object["parameters"].push_back(std::move(p));
        }
        list.push_back(std::move(object));
    }
    return list;
}

nlohmann::ordered_json optionsJson(const std::vector<ParameterOption>& options) {
    auto list = nlohmann::ordered_json::array();
    for (const auto& option : options) list.push_back({{"id", option.id}, {"title", option.title}});
    return list;
}

nlohmann::ordered_json answerJson(const Answer& answer, bool withFamily) {
    nlohmann::ordered_json object;
    object["kind"] = answer.widget->kind();
    if (withFamily) object["family"] = std::string(name(answer.family));
    object["entries"] = nlohmann::ordered_json::array();
    for (const auto& entry : answer.entries) object["entries"].push_back(nlohmann::ordered_json(entry.json));
    if (answer.policy) object["policy"] = {{"after", iso8601(answer.policy->date)}};
    return object;
}

std::string printedJson(const nlohmann::ordered_json& json) {
    // The dump escapes C0 controls but leaves C1 and bidirectional controls raw; the output may be read on
    // a terminal.
    return terminalSafeJson(json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)) +
           "\n";
}

}  // namespace qb::host
