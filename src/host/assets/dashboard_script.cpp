// The dashboard page's script: builds one tile per widget and family with its parameter controls,
// polls for changed tiles while the page is visible, and hands clicked links to the program.

#include "host/server/dashboard_page.hpp"

namespace qb::host {

std::string_view dashboardScript() {
    return R"JS('use strict';
(() => {
  const pollInterval = 2000;
  const familyNames = { systemSmall: 'Small', systemMedium: 'Medium', systemLarge: 'Large',
                        systemExtraLarge: 'Extra Large' };
  const state = { seq: 0, timer: null, polling: false, figures: new Map() };
  const statusLine = () => document.getElementById('status');

  function setStatus(text) { statusLine().textContent = text; }

  function element(tag, attributes = {}, children = []) {
    const node = document.createElement(tag);
    for (const [key, value] of Object.entries(attributes)) {
      if (key === 'text') node.textContent = value; else node.setAttribute(key, value);
    }
    for (const child of children) node.appendChild(child);
    return node;
  }

  async function requestJson(url, options = {}) {
    const response = await fetch(url, options);
    const body = await response.json();
    if (!response.ok) throw new Error(body.error || response.statusText);
    return body;
  }

  function postJson(url, body) {
    return requestJson(url, { method: 'POST', headers: { 'Content-Type': 'application/json' },
                              body: JSON.stringify(body) });
  }

  function nextUpdateText(reloadAt) {
    if (!reloadAt) return '';
    const date = new Date(reloadAt);
    if (isNaN(date)) return '';
    return ' · next update ' + date.toLocaleTimeString([], { hour: '2-digit', minute: '2-digit' });
  }

  function applyTile(tile) {
    const figure = state.figures.get(tile.id);
    if (!figure) return;
    if (Number(figure.dataset.seq) !== tile.seq) {
      figure.querySelector('.qb-slot').innerHTML = tile.html;
      figure.dataset.seq = String(tile.seq);
    }
    figure.dataset.source = tile.reloadAt ? 'timeline' : 'placeholder';
    figure.querySelector('figcaption').textContent =
      (familyNames[tile.family] || tile.family) + nextUpdateText(tile.reloadAt);
    for (const [name, value] of Object.entries(tile.values || {})) {
      const select = figure.querySelector(`select[data-param="${CSS.escape(name)}"]`);
      if (select && document.activeElement !== select) selectValue(select, value);
    }
  }

  function selectValue(select, value) {
    if (![...select.options].some((option) => option.value === value)) {
      select.appendChild(element('option', { value, text: value }));
    }
    select.value = value;
  }

  function fillOptions(select, options, current) {
    select.replaceChildren(...options.map((option) => element('option', { value: option.id, text: option.title })));
    if (current !== undefined) selectValue(select, current);
  }

  function parameterControl(widget, parameter, tile) {
    const select = element('select', { 'data-param': parameter.name, 'aria-label': parameter.title });
    fillOptions(select, parameter.options, tile.values[parameter.name]);
    select.addEventListener('change', async () => {
      const figure = state.figures.get(tile.id);
      figure.classList.add('qb-refreshing');
      try {
        applyTile(await postJson('/api/set', { tile: tile.id, name: parameter.name, value: select.value }));
        setStatus('');
      } catch (error) {
        setStatus(`Could not change ${parameter.title}: ${error.message}`);
      } finally {
        figure.classList.remove('qb-refreshing');
      }
    });
    const label = element('label', {}, [element('span', { text: parameter.title }), select]);
    if (!parameter.isEntity) return [label];
    // Entity choices come from the widget's query; typing narrows them.
    const search = element('input', { type: 'search', placeholder: 'Search', 'aria-label': `Search ${parameter.title}` });
    let debounce = null;
    search.addEventListener('input', () => {
      clearTimeout(debounce);
      debounce = setTimeout(async () => {
        const text = search.value.trim();
        const query = new URLSearchParams({ kind: widget.kind, param: parameter.name });
        if (text) query.set('search', text);
        try {
          fillOptions(select, await requestJson('/api/options?' + query), select.value);
        } catch (error) {
          setStatus(`Could not search ${parameter.title}: ${error.message}`);
        }
      }, 250);
    });
    return [label, search];
  }

  function buildTile(widget, tile) {
    const controls = element('div', { class: 'qb-controls' });
    for (const parameter of widget.parameters) {
      for (const control of parameterControl(widget, parameter, tile)) controls.appendChild(control);
    }
    const figure = element('figure', { class: 'qb-tile', 'data-tile': String(tile.id), 'data-kind': widget.kind,
                                       'data-family': tile.family, 'data-seq': '-1' },
                           [element('div', { class: 'qb-slot' }), element('figcaption'), controls]);
    state.figures.set(tile.id, figure);
    return figure;
  }

  function build(layout) {
    const groups = document.getElementById('groups');
    groups.replaceChildren();
    for (const widget of layout.widgets) {
      const tiles = element('div', { class: 'qb-tiles' });
      for (const tile of widget.tiles) tiles.appendChild(buildTile(widget, tile));
      groups.appendChild(element('section', { class: 'qb-group', 'data-kind': widget.kind },
                                 [element('h2', { text: widget.displayName, title: widget.description }), tiles]));
      for (const tile of widget.tiles) applyTile(tile);
    }
  }

  function schedule(delay) {
    clearTimeout(state.timer);
    if (!document.hidden) state.timer = setTimeout(poll, delay);
  }

  async function poll() {
    if (document.hidden || state.polling) return;
    state.polling = true;
    try {
      const result = await requestJson(`/api/state?since=${state.seq}`);
      for (const tile of result.tiles) applyTile(tile);
      state.seq = result.seq;
      setStatus('');
    } catch (error) {
      setStatus('The dashboard does not answer; trying again.');
    } finally {
      state.polling = false;
      schedule(pollInterval);
    }
  }

  async function openLink(anchor, figure) {
    const url = anchor.getAttribute('href');
    try {
      await postJson('/api/open', { url, tile: Number(figure.dataset.tile) });
      setStatus('');
    } catch (error) {
      setStatus(`Could not open the link: ${error.message}`);
    }
    // The widget's data may change after the application handled the link.
    schedule(Math.round(2.2 * 1000));
  }

  document.addEventListener('click', (event) => {
    const anchor = event.target.closest('.qb-slot a[href]');
    if (!anchor) return;
    event.preventDefault();
    openLink(anchor, anchor.closest('figure'));
  });

  document.addEventListener('visibilitychange', () => {
    if (document.hidden) clearTimeout(state.timer); else poll();
  });

  async function start() {
    try {
      build(await requestJson('/api/layout'));
      poll();
    } catch (error) {
      setStatus('Could not load the widgets; reload the page.');
      setTimeout(start, 3000);
    }
  }
  start();
})();
)JS";
}

}  // namespace qb::host
