#include "workspaces/workspaces_views.hpp"

#include "platform/localization.hpp"
#include "presentation/empty_state.hpp"
#include "presentation/item_rows.hpp"
#include "presentation/list_widget_body.hpp"

namespace qb::workspaces {

namespace {

// A symbol beside a count text, as one label.
ui::View countLabel(std::string symbolName, std::string key, std::int64_t count) {
    return ui::hstack({ui::symbol(std::move(symbolName)), ui::localizedText(std::move(key), count)});
}

}  // namespace

ui::View WorkspaceDetailRow::body(const ui::Environment&) const {
    using namespace ui;
    auto counts = hstack({
                             countLabel("cylinder.split.1x2", "%lld databases", item.databaseCount),
                             localizedText("\u00B7"),
                             countLabel("macwindow", "%lld windows", item.windowCount),
                         })
                      .spacing(4)
                      .font(Font::caption2)
                      .foregroundStyle(Level::secondary);
    auto lines =
        vstack(HorizontalAlignment::leading,
               {
                   verbatim(item.name).font(Font::callout).foregroundStyle(Level::primary).lineLimit(1),
                   std::move(counts),
               })
            .spacing(1);
    return hstack({
                      symbol("rectangle.stack")
                          .font(Font::callout)
                          .foregroundStyle(Level::secondary)
                          .frame(detailedRowLead.iconSize, std::nullopt),
                      std::move(lines),
                      spacer(),
                  })
        .spacing(8)
        .padding(Edge::vertical, 3);
}

ui::View WorkspacesEntryView::body(const ui::Environment& environment) const {
    if (entry.items.empty()) return WorkspacesEmptyView{}.body(environment);
    return countedListBody<WorkspaceItem>(entry, "Workspaces",
                                          [environment](const WorkspaceItem& item) {
                                              return WorkspaceDetailRow{item}.body(environment);
                                          })
        .body(environment);
}

ui::View WorkspacesEmptyView::body(const ui::Environment& environment) const {
    return EmptyStateLayout{"rectangle.stack", "No Workspaces",
                            "Create workspaces in Quillbrook to see them here."}
        .body(environment);
}

}  // namespace qb::workspaces
