// The style sheet of the HTML widgets: sizes, text styles, colours for light and dark, flex layout.

#include "host/render/html.hpp"

namespace qb::host {

std::string_view widgetStyles() {
    return R"CSS(
.qb-widget {
  --fg-primary: rgba(0, 0, 0, 0.86); --fg-secondary: rgba(0, 0, 0, 0.52); --fg-tertiary: rgba(0, 0, 0, 0.28);
  --separator: rgba(0, 0, 0, 0.1); --widget-fill: rgba(250, 250, 252, 0.9); --accent: #2f7cf6;
  --c-red: #ff3b30; --c-orange: #ff9500; --c-yellow: #f5b900; --c-green: #34c759; --c-blue: #007aff;
  --c-purple: #af52de; --c-gray: #8e8e93; --c-white: #ffffff;
  box-sizing: border-box; position: relative; display: flex; flex-direction: column; overflow: hidden;
  border-radius: 22px; color: var(--fg-primary); text-decoration: none; text-align: left;
  font-family: system-ui, "Cantarell", "Inter", "Noto Sans", "DejaVu Sans", sans-serif; font-size: 13px;
  line-height: 1.2; -webkit-font-smoothing: antialiased; flex: none;
  box-shadow: 0 0 0 0.5px rgba(0, 0, 0, 0.08), 0 6px 22px rgba(20, 30, 60, 0.16), 0 1px 3px rgba(20, 30, 60, 0.1);
  backdrop-filter: blur(24px) saturate(1.6);
}
@media (prefers-color-scheme: dark) {
  .qb-widget {
    --fg-primary: rgba(255, 255, 255, 0.92); --fg-secondary: rgba(255, 255, 255, 0.56);
    --fg-tertiary: rgba(255, 255, 255, 0.3); --separator: rgba(255, 255, 255, 0.13);
    --widget-fill: rgba(36, 36, 40, 0.86); --accent: #5b9dff;
    --c-red: #ff453a; --c-orange: #ff9f0a; --c-yellow: #ffd60a; --c-green: #30d158; --c-blue: #0a84ff;
    --c-purple: #bf5af2; --c-gray: #98989d;
    box-shadow: 0 0 0 0.5px rgba(255, 255, 255, 0.1), 0 8px 26px rgba(0, 0, 0, 0.45);
  }
}
.qb-widget.qb-fill { background: var(--widget-fill); }
.qb-widget.qb-mode-accented, .qb-widget.qb-mode-vibrant {
  --fg-primary: rgba(255, 255, 255, 0.94); --fg-secondary: rgba(255, 255, 255, 0.62);
  --fg-tertiary: rgba(255, 255, 255, 0.36); --separator: rgba(255, 255, 255, 0.18);
  --widget-fill: rgba(32, 52, 92, 0.78); --accent: #8fc1ff;
}
.qb-widget * { box-sizing: border-box; }
/* Stacks and rows never shrink below their content: a row whose text wraps grows, the rows below it move
   down, and the widget clips at its own edge; content taller than the widget starts at its top. */
.qb-content { flex: 1 1 auto; display: flex; flex-direction: column; align-items: stretch;
  justify-content: safe center; padding: 14px; min-height: 0; min-width: 0; }
.qb-v, .qb-h, .qb-link { display: flex; min-width: 0; }
.qb-v { flex-direction: column; }
.qb-v > *, .qb-link > *, .qb-content > * { max-width: 100%; }
.qb-h { flex-direction: row; }
.qb-link { flex-direction: column; align-items: flex-start; color: inherit; text-decoration: none;
  border-radius: 6px; }
a.qb-link:hover { background: var(--separator); }
a.qb-link:focus-visible, a.qb-widget:focus-visible { outline: 2px solid var(--accent); outline-offset: 1px; }
.qb-spacer { flex: 1 1 0; }
.qb-div-h { height: 1px; min-height: 1px; align-self: stretch; background: var(--separator); flex: none; }
.qb-div-v { width: 1px; min-width: 1px; align-self: stretch; background: var(--separator); flex: none; }
.qb-t { display: block; min-width: 0; white-space: pre-line; overflow-wrap: anywhere; }
.qb-t.qb-l1 { white-space: nowrap; overflow: hidden; text-overflow: ellipsis; max-width: 100%; }
.qb-t.qb-lc { display: -webkit-box; -webkit-box-orient: vertical; overflow: hidden; }
.qb-t.qb-lu { overflow: hidden; min-height: 0; flex-shrink: 1; }
.qb-sym { display: inline-flex; align-items: center; justify-content: center; flex: none; line-height: 1; }
.qb-sym-svg { width: 1.05em; height: 1.05em; display: block; }
.qb-sym-glyph { font-size: 1em; line-height: 1; }
.qb-img { display: block; object-fit: contain; flex: none; image-rendering: auto; }
.qb-circle { display: block; border-radius: 50%; flex: none; }
.qb-capsule { border-radius: 999px; }
.f-body { font-size: 13px; }
.f-largeTitle { font-size: 26px; }
.f-title3 { font-size: 15px; }
.f-headline { font-size: 13px; font-weight: 600; }
.f-callout { font-size: 12px; }
.f-caption { font-size: 10px; }
.f-caption2 { font-size: 9px; }
.w-regular { font-weight: 400; }
.w-semibold { font-weight: 600; }
.c-primary { color: var(--fg-primary); }
.c-secondary { color: var(--fg-secondary); }
.c-tertiary { color: var(--fg-tertiary); }
.c-red { color: var(--c-red); } .c-orange { color: var(--c-orange); } .c-yellow { color: var(--c-yellow); }
.c-green { color: var(--c-green); } .c-blue { color: var(--c-blue); } .c-purple { color: var(--c-purple); }
.c-gray { color: var(--c-gray); } .c-white { color: var(--c-white); } .c-clear { color: transparent; }
.b-red { background: var(--c-red); } .b-orange { background: var(--c-orange); }
.b-yellow { background: var(--c-yellow); } .b-green { background: var(--c-green); }
.b-blue { background: var(--c-blue); } .b-purple { background: var(--c-purple); }
.b-gray { background: var(--c-gray); } .b-white { background: var(--c-white); }
.b-clear { background: transparent; }
.qb-accent.qb-sym, .qb-accent.qb-t { color: var(--accent); }
.qb-accent.qb-circle, .qb-accent.qb-capsule { background: var(--accent); }
)CSS";
}

}  // namespace qb::host
