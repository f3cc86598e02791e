// Drives `quillbrook-widgets serve` in headless Chromium, entering through the address with the secret
// that serve prints, and checks what a person would see. On the demo: every widget in every family, links
// that open what the program's JSON names (and a note on the tile where no application opens a link), a
// parameter change that redraws its tile, a page without console errors, no accessibility problem in
// light and dark, a window 360 pixels wide, and a page that shows one widget alone. On a home of long paths and titles in several scripts: rows that never overlap, and a
// page that asks for nothing while hidden and catches up at once when shown again.
//
// Environment: QB_PROGRAM (the program), QB_SOURCE_DIR (the source tree, for examples/home),
// QB_SCREENSHOT_DIR (where to save pictures of the page), CHROMIUM (default /usr/bin/chromium).
// Exits 77 (skipped) when the browser, the driver or the checker is missing.

import { existsSync, mkdirSync, mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

import { retitleReadingList, writeLongHome } from './long_home.mjs';
import { narrowProblems, overlapProblems } from './page_checks.mjs';
import { accessibilityProblems, axeSource, freePort, programJson, recordingDesktop, startServer, tilesDrawn }
  from './support.mjs';

const skip = (why) => { console.log(`SKIPPED: ${why}`); process.exit(77); };
const chromiumPath = process.env.CHROMIUM || '/usr/bin/chromium';
if (!existsSync(chromiumPath)) skip(`no Chromium at ${chromiumPath}; install the chromium package or set CHROMIUM`);
let chromium;
try {
  ({ chromium } = await import('playwright-core'));
} catch {
  skip('playwright-core is not installed; run `npm ci` in tests/browser (scripts/setup.sh does)');
}
const axe = axeSource();
if (!axe) skip('axe-core is not installed; run `npm ci` in tests/browser (scripts/setup.sh does)');

const program = process.env.QB_PROGRAM;
const sourceDir = process.env.QB_SOURCE_DIR;
if (!program || !existsSync(program) || !sourceDir) {
  console.error('Set QB_PROGRAM to the built quillbrook-widgets and QB_SOURCE_DIR to the source tree.');
  process.exit(1);
}
const screenshots = process.env.QB_SCREENSHOT_DIR;
if (screenshots) mkdirSync(screenshots, { recursive: true });
const demoHome = join(sourceDir, 'examples', 'home');
const maxRows = { systemSmall: 4, systemMedium: 5 };
const families = ['systemSmall', 'systemMedium', 'systemLarge', 'systemExtraLarge'];
const readingMedium = 'figure[data-kind="ReadingListWidget"][data-family="systemMedium"]';

const failures = [];
const check = (ok, message) => { if (!ok) failures.push(message); };
const report = (problems) => failures.push(...problems);
const demoJson = (...args) => programJson(program, demoHome, ...args);
// Two frames after a change of the window: its resize event has been handled and the page laid out.
const settle = (page) => page.evaluate(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done))));

async function demoChecks(page, desktop) {
  // Every widget in every family (the rows each family shows are the widgets' own tests').
  const tiles = await page.$$eval('figure.qb-tile', (all) => all.map((f) => `${f.dataset.kind} ${f.dataset.family}`));
  const expected = ['ReadingListWidget', 'FavoritesWidget', 'WorkspacesWidget', 'TipsWidget']
    .flatMap((kind) => families.map((family) => `${kind} ${family}`));
  check(JSON.stringify(tiles.sort()) === JSON.stringify(expected.sort()), `tiles: ${tiles.join(', ')}`);

  // An item link opens what the program's JSON names: a click hands exactly that link to the
  // application the desktop has for its scheme.
  const reading = await demoJson('timeline', 'ReadingListWidget', '--family', 'systemMedium');
  const firstURL = reading.entries[0].items[0]?.displayURL;
  const href = await page.$eval(`${readingMedium} .qb-widget a.qb-item`, (anchor) => anchor.getAttribute('href'));
  check(firstURL && href === firstURL, `first reading-list link ${href}, the program says ${firstURL}`);
  check(href.startsWith('x-quillbrook-item:'), `the first reading-list row links to ${href}`);
  await page.click(`${readingMedium} .qb-widget a.qb-item`);
  for (let waited = 0; desktop.opened().length === 0 && waited < 5000; waited += 100) await page.waitForTimeout(100);
  check(JSON.stringify(desktop.opened()) === JSON.stringify([href]), `opened ${JSON.stringify(desktop.opened())}, clicked ${href}`);
  check(await page.$eval(`${readingMedium} .qb-note`, (note) => note.textContent).catch(() => '') === '',
        'a note under the tile after a link that opened');

  // A link that no application opens says so under its tile, and nothing is opened.
  await page.click(`${readingMedium} .qb-widget a.qb-item[href^="x-quillbrook:"]`);
  const note = await page.waitForSelector(`${readingMedium} .qb-note:not(:empty)`, { timeout: 5000 }).catch(() => null);
  const noteText = note ? await note.textContent() : '(no note)';
  check(noteText === 'no application opens x-quillbrook links', `the note under the tile says "${noteText}"`);
  check(desktop.opened().length === 1, `opened ${JSON.stringify(desktop.opened())} after a link nobody opens`);

  // Switching the reading list to unread items redraws its tile.
  const unread = await demoJson('timeline', 'ReadingListWidget', '--family', 'systemMedium', '--set', 'filter=unreadOnly');
  const unreadTitles = unread.entries[0].items.slice(0, maxRows.systemMedium).map((item) => item.displayTitle);
  const seqBefore = await page.$eval(readingMedium, (figure) => figure.dataset.seq);
  await page.selectOption(`${readingMedium} select[data-param="filter"]`, { label: 'Unread Only' });
  await page.waitForFunction(([sel, seq]) => document.querySelector(sel).dataset.seq !== seq, [readingMedium, seqBefore],
                             { timeout: 15000 });
  const shownTitles = await page.$$eval(`${readingMedium} .qb-widget .qb-item`,
                                        (rows) => rows.map((row) => row.querySelector('.qb-t').textContent));
  check(JSON.stringify(shownTitles) === JSON.stringify(unreadTitles),
        `unread-only rows ${JSON.stringify(shownTitles)}, the program says ${JSON.stringify(unreadTitles)}`);
  check(reading.entries[0].items.length !== unread.entries[0].items.length,
        'the sample reading list should differ between all and unread items');
}

// The page in light and dark, in a wide window and in one 360 pixels wide.
async function lookChecks(page) {
  for (const width of [1400, 360]) {
    await page.setViewportSize({ width, height: 900 });
    await settle(page);
    if (width === 360) report(await narrowProblems(page, width));
    for (const scheme of ['light', 'dark']) {
      await page.emulateMedia({ colorScheme: scheme });
      report(await accessibilityProblems(page, axe, `${width} px, ${scheme}`));
      if (screenshots) await page.screenshot({ path: join(screenshots, `dashboard-${width}-${scheme}.png`), fullPage: true });
    }
  }
  await page.emulateMedia({ colorScheme: 'light' });
}

// A page with one widget alone: its refusals, and the widget with the parameters its address gives.
async function singleWidgetChecks(context, base) {
  const page = await context.newPage();
  for (const [address, allowed] of [['/widget/nosuch', 'readinglist'], ['/widget/tips?family=huge', 'extra-large'],
                                    ['/widget/readinglist?set=filter=maybe', 'unreadOnly']]) {
    const answer = await page.goto(base + address);
    const text = (await answer.text()).trim();
    check(answer.status() === 400 && !text.includes('\n') && text.includes(allowed),
          `${address} answers ${answer.status()}: ${text}`);
  }
  await page.goto(`${base}/widget/readinglist?family=small&set=filter=unreadOnly`);
  await tilesDrawn(page);
  const shown = await page.evaluate(() => ({
    widgets: document.querySelectorAll('.qb-widget').length,
    others: document.querySelectorAll('h2, figcaption, select, input').length,
    rows: [...document.querySelectorAll('.qb-widget .qb-item')].map((row) => row.querySelector('.qb-t').textContent),
  }));
  const unread = await demoJson('timeline', 'readinglist', '--family', 'small', '--set', 'filter=unreadOnly');
  const expected = unread.entries[0].items.slice(0, maxRows.systemSmall).map((item) => item.displayTitle);
  check(shown.widgets === 1 && shown.others === 0, `the single-widget page shows ${JSON.stringify(shown)}`);
  check(JSON.stringify(shown.rows) === JSON.stringify(expected),
        `the single widget's rows ${JSON.stringify(shown.rows)}, the program says ${JSON.stringify(expected)}`);
  report(await accessibilityProblems(page, axe, 'single widget'));
  await page.close();
}

// While hidden the page asks for nothing, so that the server stops reloading its tiles: a reading list
// replaced meanwhile is due at once, yet not reloaded. Shown again, the page asks at once and the tile
// catches up at once, long before the list's own reload date.
async function visibilityChecks(page, base, home) {
  let asked = 0;
  page.on('request', (request) => { if (request.url().includes('/api/state')) ++asked; });
  const setHidden = (hidden) => page.evaluate((hidden) => {
    window.qbHidden = hidden;
    Object.defineProperty(document, 'hidden', { configurable: true, get: () => window.qbHidden });
    Object.defineProperty(document, 'visibilityState', { configurable: true,
                                                         get: () => (window.qbHidden ? 'hidden' : 'visible') });
    document.dispatchEvent(new Event('visibilitychange'));
  }, hidden);
  await setHidden(true);
  const before = asked;
  // The server hides the tiles once no page asked for a poll's wait and a margin (10 and 5 seconds).
  await page.waitForTimeout(16000);
  const title = 'Retitled while the page was hidden';
  retitleReadingList(home, title);
  // Time for the file's change to be noticed (a fifth of a second's quiet) and, were the tile shown, drawn.
  await page.waitForTimeout(2000);
  // The layout reads the tiles without looking at them.
  const layout = await (await page.context().request.get(`${base}/api/layout`)).json();
  const reading = layout.widgets.find((widget) => widget.kind === 'ReadingListWidget');
  check(asked === before, `the hidden page asked ${asked - before} times`);
  check(!reading.tiles.some((tile) => tile.html.includes(title)), 'the server reloaded a tile nobody looked at');
  check(!(await page.textContent(readingMedium)).includes(title), 'the hidden page redrew a tile');
  const asking = page.waitForRequest((request) => request.url().includes('/api/state'), { timeout: 1000 });
  const shown = Date.now();
  await setHidden(false);
  check(await asking.then(() => true, () => false), 'the page did not ask at once when shown again');
  await page.waitForFunction(([sel, text]) => document.querySelector(sel).textContent.includes(text), [readingMedium, title],
                             { timeout: 5000 })
    .catch(() => failures.push(`the page shown again had not caught up after ${Date.now() - shown} ms`));
}

const folder = mkdtempSync(join(tmpdir(), 'qb-browser-'));
const desktop = recordingDesktop(join(folder, 'desktop'));
const home = join(folder, 'home');
writeLongHome(home);
const demoPort = await freePort();
const demo = startServer(program, demoPort, ['--demo'], desktop.environment);
const longPort = await freePort();
const long = startServer(program, longPort, ['--home', home, '--feed-base', 'http://127.0.0.1:1'],
                         { XDG_CONFIG_HOME: join(folder, 'config'), XDG_CACHE_HOME: join(folder, 'cache') });
let context;
let page;
try {
  context = await chromium.launchPersistentContext(join(folder, 'profile'), {
    executablePath: chromiumPath,
    headless: true,
    viewport: { width: 1720, height: 1200 },
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  page = context.pages()[0] || await context.newPage();
  const consoleErrors = [];
  page.on('console', (message) => { if (message.type() === 'error') consoleErrors.push(message.text()); });
  page.on('pageerror', (error) => consoleErrors.push(error.message));

  // The secret is exchanged for a cookie and leaves the address bar.
  await page.goto(await demo.ready);
  check(page.url() === `http://127.0.0.1:${demoPort}/`, `the page stayed at ${page.url()}`);
  await tilesDrawn(page);
  await demoChecks(page, desktop);
  await lookChecks(page);
  await singleWidgetChecks(context, `http://127.0.0.1:${demoPort}`);
  check(consoleErrors.length === 0, `console errors: ${consoleErrors.join(' | ')}`);

  page = await context.newPage();
  await page.setViewportSize({ width: 1400, height: 900 });
  await page.goto(await long.ready);
  await tilesDrawn(page);
  report(await overlapProblems(page));
  if (screenshots) await page.screenshot({ path: join(screenshots, 'dashboard-long-titles.png'), fullPage: true });
  await visibilityChecks(page, `http://127.0.0.1:${longPort}`, home);
} catch (error) {
  failures.push(error.stack || String(error));
} finally {
  if (failures.length && page && screenshots)
    await page.screenshot({ path: join(screenshots, 'dashboard-failed.png'), fullPage: true }).catch(() => {});
  if (context) await context.close();
  for (const [name, server] of [['demo', demo], ['long-titles', long]]) {
    server.child.kill('SIGINT');
    const { code, signal } = await server.exited;
    check(code === 0, `the ${name} dashboard did not stop cleanly on SIGINT (code ${code}, signal ${signal})`);
  }
  rmSync(folder, { recursive: true, force: true });
}

if (failures.length) {
  console.error(`FAILED:\n- ${failures.join('\n- ')}`);
  process.exit(1);
}
console.log('dashboard: all checks passed');
