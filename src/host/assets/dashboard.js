// The dashboard page's script: builds one tile per widget and family with its parameter controls,
// asks for changed tiles while the page is visible (each request waits on the server until a tile
// changes), and hands clicked links to the program, showing on the tile why one did not open. On a
// page that shows one widget alone (/widget/KIND) it keeps that one tile current the same way.
'use strict';
(() => {
  // The pause between two polls; each poll itself waits on the server until a tile changes.
  const pollInterval = 1000;
  // The page's own texts in the user's language, which the server puts on the page (data-texts): the
  // English text is the key and stands where there is no translation. `{}` fields are filled in order.
  const texts = JSON.parse(document.documentElement.dataset.texts || '{}');
  const text = (key, ...fields) =>
    (texts[key] || key).split('{}').map((part, i) => part + (i < fields.length ? fields[i] : '')).join('');
  // Times in the page's language where it has one, else as the browser writes them.
  const timeLocale = Object.keys(texts).length ? document.documentElement.lang : [];
  const familyNames = { systemSmall: text('Small'), systemMedium: text('Medium'), systemLarge: text('Large'),
                        systemExtraLarge: text('Extra Large') };
  // How long a note under a tile stays.
  const noteSeconds = 8;
  // A widget is scaled down to fit a narrow window, but never below this: smaller text could no longer
  // be read, so a widget that still does not fit scrolls sideways inside its tile instead.
  const smallestFit = 0.8;
  // `single`: the one tile of a single-widget page, else null.
  const state = { seq: 0, single: null, timer: null, linkTimer: null, poll: null, figures: new Map(),
                  noteTimers: new Map() };
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

  // The answer's JSON; an error with the server's one-line reason (JSON or text) when refused.
  async function requestJson(url, options = {}) {
    const response = await fetch(url, options);
    const text = await response.text();
    let body = null;
    try { body = JSON.parse(text); } catch { body = null; }
    if (!response.ok || body === null) {
      const error = new Error((body && body.error) || text.trim() || response.statusText);
      error.status = response.status;
      throw error;
    }
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
    const time = date.toLocaleTimeString(timeLocale, { hour: '2-digit', minute: '2-digit' });
    return ' · ' + text('next update {}', time);
  }

  function applyTile(tile) {
    const figure = state.figures.get(tile.id);
    if (!figure) return;
    if (Number(figure.dataset.seq) !== tile.seq) {
      figure.querySelector('.qb-slot').innerHTML = tile.html;
      figure.dataset.seq = String(tile.seq);
    }
    figure.dataset.source = tile.reloadAt ? 'timeline' : 'placeholder';
    const caption = figure.querySelector('figcaption');
    if (caption) caption.textContent = (familyNames[tile.family] || tile.family) + nextUpdateText(tile.reloadAt);
    for (const [name, value] of Object.entries(tile.values || {})) {
      const select = figure.querySelector(`select[data-param="${CSS.escape(name)}"]`);
      if (select && document.activeElement !== select) selectValue(select, value);
    }
  }

  // Scales the tile's widget to the width its row has (the renderer gives the widget its size in pixels).
  function fitTile(figure) {
    const slot = figure.querySelector('.qb-slot');
    const widget = slot.querySelector('.qb-widget');
    const natural = widget ? parseFloat(widget.style.width) : NaN;
    if (!(natural > 0)) return;
    const row = figure.parentElement;
    const style = getComputedStyle(row);
    const room = row.clientWidth - parseFloat(style.paddingLeft) - parseFloat(style.paddingRight);
    const fit = Math.min(1, Math.floor((room / natural) * 1000) / 1000);
    slot.style.setProperty('--fit', String(Math.max(fit, smallestFit)));
    slot.classList.toggle('qb-scrolls', fit < smallestFit);
  }

  function fitTiles() {
    for (const figure of state.figures.values()) fitTile(figure);
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
        const changed = await postJson('/api/set', { tile: tile.id, name: parameter.name, value: select.value });
        applyTile(changed);
        const notKept = '{} is shown, but not kept for the next run: {}';
        setStatus(changed.notKept ? text(notKept, parameter.title, changed.notKept) : '');
      } catch (error) {
        setStatus(text('Could not change {}: {}', parameter.title, error.message));
      } finally {
        figure.classList.remove('qb-refreshing');
      }
    });
    const label = element('label', {}, [element('span', { text: parameter.title }), select]);
    if (!parameter.isEntity) return [label];
    // Entity choices come from the widget's query; typing narrows them.
    const search = element('input', { type: 'search', placeholder: text('Search'),
                                       'aria-label': text('Search {}', parameter.title) });
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
          setStatus(text('Could not search {}: {}', parameter.title, error.message));
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
    fitTiles();
  }

  function schedule(delay) {
    clearTimeout(state.timer);
    if (!document.hidden) state.timer = setTimeout(poll, delay);
  }

  async function poll() {
    if (document.hidden || state.poll) return;
    const current = new AbortController();
    state.poll = current;
    try {
      const scope = state.single === null ? '' : `tile=${state.single}&`;
      const result = await requestJson(`/api/state?${scope}since=${state.seq}`, { signal: current.signal });
      for (const tile of result.tiles) applyTile(tile);
      state.seq = result.seq;
      setStatus('');
    } catch (error) {
      if (current.signal.aborted) return;  // a newer poll took over
      // Refused (403): this page's pass is from an earlier run; the server says how to get in.
      setStatus(error.status === 403 ? error.message : text('The dashboard does not answer; trying again.'));
    } finally {
      if (state.poll === current) {
        state.poll = null;
        schedule(pollInterval);
      }
    }
  }

  // Asks at once, instead of waiting for the poll under way to end.
  function pollNow() {
    if (state.poll) state.poll.abort();
    state.poll = null;
    clearTimeout(state.timer);
    poll();
  }

  // A short note under a tile, for why a click on it did nothing; it goes after a while.
  function showNote(figure, text) {
    let note = figure.querySelector('.qb-note');
    if (!note) {
      note = element('p', { class: 'qb-note', role: 'status' });
      figure.insertBefore(note, figure.querySelector('figcaption'));
    }
    note.textContent = text;
    clearTimeout(state.noteTimers.get(figure));
    if (text) state.noteTimers.set(figure, setTimeout(() => { note.textContent = ''; }, noteSeconds * 1000));
  }

  async function openLink(anchor, figure) {
    const url = anchor.getAttribute('href');
    try {
      // Refused by the desktop (no application opens such links) is an answer, not a failure.
      const result = await postJson('/api/open', { url, tile: Number(figure.dataset.tile) });
      showNote(figure, result.opened ? '' : result.error);
    } catch (error) {
      showNote(figure, text('Could not open the link: {}', error.message));
    }
    // The widget's data may change after the application handled the link; the server asks the
    // widget again shortly while a page polls.
    clearTimeout(state.linkTimer);
    state.linkTimer = setTimeout(pollNow, Math.round(2.2 * 1000));
  }

  document.addEventListener('click', (event) => {
    const anchor = event.target.closest('.qb-slot a[href]');
    if (!anchor) return;
    event.preventDefault();
    openLink(anchor, anchor.closest('figure'));
  });

  // A hidden page asks for nothing, so that the server stops reloading its tiles; shown again, it asks at
  // once, and the tiles whose reload date passed meanwhile are reloaded.
  document.addEventListener('visibilitychange', () => {
    if (!document.hidden) return poll();
    clearTimeout(state.timer);
    if (state.poll) state.poll.abort();
    state.poll = null;
  });
  window.addEventListener('resize', fitTiles);

  async function start() {
    try {
      const layout = await requestJson('/api/layout');
      build(layout);
      state.seq = layout.seq;
      poll();
    } catch (error) {
      setStatus(text('Could not load the widgets; reload the page.'));
      setTimeout(start, 3000);
    }
  }

  // A single-widget page comes with its tile drawn.
  function startSingle(figure) {
    state.single = Number(figure.dataset.tile);
    state.seq = Number(figure.dataset.seq);
    state.figures.set(state.single, figure);
    fitTile(figure);
    poll();
  }

  const single = document.querySelector('body.qb-single figure.qb-tile');
  if (single) startSingle(single); else start();
})();
