// The style sheet of the page around the widgets: a soft wallpaper, one group per widget, captions.

#include "host/render/html.hpp"

namespace qb::host {

std::string_view pageStyles() {
    return R"CSS(
html { min-height: 100%; background: #e4e8f6; }
body {
  margin: 0; min-height: 100vh; color: #1d2433;
  font-family: system-ui, "Cantarell", "Inter", "Noto Sans", "DejaVu Sans", sans-serif;
  background:
    radial-gradient(1200px 700px at 8% 0%, rgba(255, 196, 170, 0.75), transparent 60%),
    radial-gradient(1000px 800px at 95% 10%, rgba(160, 196, 255, 0.8), transparent 60%),
    radial-gradient(900px 700px at 50% 100%, rgba(196, 170, 255, 0.65), transparent 60%),
    linear-gradient(160deg, #f3e9f5 0%, #dfe9fb 55%, #e7f3ee 100%);
}
@media (prefers-color-scheme: dark) {
  body {
    color: #e8ebf3;
    background:
      radial-gradient(1100px 700px at 10% 0%, rgba(120, 64, 140, 0.55), transparent 60%),
      radial-gradient(1000px 800px at 95% 15%, rgba(30, 80, 160, 0.55), transparent 60%),
      radial-gradient(900px 700px at 50% 100%, rgba(20, 110, 110, 0.4), transparent 60%),
      linear-gradient(160deg, #141726 0%, #10182a 55%, #0f1d1f 100%);
  }
  html { background: #121626; }
}
.qb-page { max-width: 1720px; margin: 0 auto; padding: 28px 36px 48px; }
.qb-page > header, .qb-page > h1 { display: flex; align-items: baseline; gap: 14px; margin: 0 0 18px; }
.qb-page h1 { font-size: 22px; font-weight: 650; letter-spacing: -0.01em; margin: 0; }
.qb-page .qb-status { font-size: 12px; opacity: 0.62; }
.qb-group { margin: 0 0 26px; padding: 16px 20px 20px; border-radius: 26px;
  background: rgba(255, 255, 255, 0.22); box-shadow: inset 0 0 0 1px rgba(255, 255, 255, 0.35); }
@media (prefers-color-scheme: dark) {
  .qb-group { background: rgba(255, 255, 255, 0.04); box-shadow: inset 0 0 0 1px rgba(255, 255, 255, 0.07); }
}
.qb-group h2 { font-size: 14px; font-weight: 600; margin: 0 0 12px 4px; letter-spacing: 0.01em; opacity: 0.85; }
.qb-tiles { display: flex; flex-wrap: wrap; align-items: flex-start; gap: 22px; }
.qb-tile { margin: 0; display: flex; flex-direction: column; align-items: center; gap: 8px; }
.qb-tile figcaption { font-size: 11px; opacity: 0.6; }
.qb-controls { display: flex; flex-wrap: wrap; justify-content: center; gap: 6px; font-size: 11px; }
.qb-controls label { display: flex; align-items: center; gap: 5px; opacity: 0.85; }
.qb-controls select, .qb-controls input {
  font: inherit; color: inherit; border-radius: 7px; padding: 3px 6px;
  border: 1px solid rgba(0, 0, 0, 0.12); background: rgba(255, 255, 255, 0.65);
}
@media (prefers-color-scheme: dark) {
  .qb-controls select, .qb-controls input { border-color: rgba(255, 255, 255, 0.16); background: rgba(0, 0, 0, 0.3); }
}
.qb-controls input[type=search] { width: 110px; }
.qb-tile.qb-refreshing .qb-widget { opacity: 0.82; transition: opacity 0.2s; }
)CSS";
}

}  // namespace qb::host
