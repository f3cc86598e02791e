#include "tips/tip_store.hpp"

namespace qb::tips {

// Apart from the rest of the store: the user's services download with libcurl, which a program that
// gives its stores services of its own (the desktop host) does not link.
const TipStore& TipStore::shared() {
    static const TipStore store = forServices(WidgetServices::system());
    return store;
}

}  // namespace qb::tips
