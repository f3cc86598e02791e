#include "bundle/quillbrook_widget_bundle.hpp"

#include "favorites/favorites_widget.hpp"
#include "readinglist/reading_list_widget.hpp"
#include "tips/tips_widget.hpp"
#include "workspaces/workspaces_widget.hpp"

namespace qb {

// The one list of the widgets: the host learns every kind from here.
std::vector<AnyWidget> QuillbrookWidgetBundle::body() const {
    return {
        AnyWidget(readinglist::ReadingListWidget{services}),
        AnyWidget(favorites::FavoritesWidget{services}),
        AnyWidget(workspaces::WorkspacesWidget{services}),
        AnyWidget(tips::TipsWidget{services}),
    };
}

}  // namespace qb
