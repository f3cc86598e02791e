#include "bundle/quillbrook_widget_bundle.hpp"

#include "favorites/favorites_widget.hpp"
#include "readinglist/reading_list_widget.hpp"
#include "tips/tips_widget.hpp"
#include "workspaces/workspaces_widget.hpp"

// Each widget's definition, in the order of the bundle: Reading List, Favorites, Workspaces, Tips.

namespace qb {

std::vector<AnyWidget> QuillbrookWidgetBundle::body() const {
    // Widget definitions are added here, in the order above, as each one is built.
    return {
        AnyWidget(ReadingListWidget{}),
        AnyWidget(FavoritesWidget{}),
        AnyWidget(WorkspacesWidget{}),
        AnyWidget(TipsWidget{}),
    };
}

}  // namespace qb
