// The GTK renderer's tests need a display: they run under Xvfb and are skipped (code 77) without one.

#include <gtest/gtest.h>

#include <gtkmm.h>

#include <iostream>

#include "host/desktop/render/widget_view.hpp"
#include "shown_widget.hpp"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (!gtk_init_check(&argc, &argv)) {
        std::cout << "SKIPPED: GTK cannot open a display (run under tests/support/xvfb.sh)\n";
        return 77;
    }
    qb::test::catchToolkitWarnings();
    Gtk::Main::init_gtkmm_internals();
    qb::desktop::installWidgetStyles();
    return RUN_ALL_TESTS();
}
