#include "core/widget_services.hpp"

namespace qb {

// Apart from the rest of WidgetServices: only what calls this links the download libraries.
WidgetServices WidgetServices::system() {
    return user(std::make_shared<CurlHttpClient>());
}

}  // namespace qb
