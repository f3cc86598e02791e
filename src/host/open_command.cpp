#include <variant>

#include <fmt/format.h>

#include "host/commands.hpp"
#include "host/live_commands.hpp"
#include "host/opener.hpp"
#include "host/render/resolve.hpp"
#include "host/requests.hpp"
#include "host/view_links.hpp"
#include "host/widget_catalog.hpp"
#include "platform/localization.hpp"
#include "platform/terminal_text.hpp"

namespace qb::host {
namespace {

constexpr std::string_view openableLinks =
    "a widget opens only Quillbrook's own links and http, https, mailto and file links";

// The link that a click would open: row N's, or the widget's own; or why there is none.
std::variant<std::string, UsageError> chosenLink(const ViewLinks& links, std::optional<int> row,
                                                 const AnyWidget& widget, WidgetFamily family) {
    const auto count = links.rows.size();
    if (row) {
        if (static_cast<std::size_t>(*row) <= count) {
            // The same rule as the dashboard's: only links a click on a widget may open.
            const auto& destination = links.rows[static_cast<std::size_t>(*row - 1)].destination;
            if (!destination)
                return UsageError{
                    localizedMessage("refusing to open row {}: {}", *row, localized(openableLinks))};
            return destination->string();
        }
        if (count == 0)
            return UsageError{
                localizedMessage("{} shows no rows in {}; {}", widget.kind(), shortName(family),
                                 localized(links.widgetURL ? "leave out --row to open the widget's own link"
                                                           : "there is nothing to open"))};
        return UsageError{
            localizedMessage("{} shows {} rows in {}, so there is no row {}; give --row 1 to {}",
                             widget.kind(), count, shortName(family), *row, count)};
    }
    if (links.widgetURL) return links.widgetURL->string();
    if (count == 0)
        return UsageError{
            localizedMessage("{} shows nothing to open in {}", widget.kind(), shortName(family))};
    return UsageError{localizedMessage(
        "{} has no link of its own; give --row 1 to {} to open one of the rows it shows in {}", widget.kind(),
        count, shortName(family))};
}

}  // namespace

int openCommand(const CommandLine& line, const std::vector<AnyWidget>& widgets) {
    auto chosen = chosenWidget(widgets, line);
    if (auto* error = std::get_if<UsageError>(&chosen)) return usageFailure(error->message);
    auto& [widget, instance, family] = std::get<ChosenWidget>(chosen);
    std::vector<Request> requests;
    requests.push_back({widget, std::move(instance), family, RequestKind::timeline});
    const auto answers = runRequests(std::move(requests));
    const Answer& answer = answers.front();
    if (answer.failure || answer.entries.empty() || !answer.entries.front().view)
        return runFailure(localizedMessage("the {} provider failed: {}; run with --verbose to see its log",
                                           widget->kind(), answer.failure.value_or(localized("no entry"))));
    const ui::Environment environment{family, WidgetRenderingMode::fullColor};
    auto link = chosenLink(linksOf(resolve(answer.entries.front().view(environment), environment)), line.row,
                           *widget, family);
    if (auto* error = std::get_if<UsageError>(&link)) return usageFailure(error->message);
    const auto& url = std::get<std::string>(link);
    if (auto error = openLink(url))
        return runFailure(localizedMessage("could not open {}: {}", quotedForMessage(url), error->message));
    return 0;
}

}  // namespace qb::host
