// Drives `quillbrook-widgets serve --demo` in headless Chromium, entering through the address with the
// secret that serve prints, and checks what a person would see: every widget in every family, the rows
// each family allows, links that open what the program's JSON names (and a note on the tile where no
// application opens a link), a parameter change that redraws its tile, and a page without console errors.
//
// Environment: QB_PROGRAM (the program), QB_SOURCE_DIR (the source tree, for examples/home),
// QB_SCREENSHOT (where to save a picture of the page), CHROMIUM (default /usr/bin/chromium).
// Exits 77 (skipped) when the browser or the driver is missing.

import { spawn, execFile } from 'node:child_process';
import { chmodSync, existsSync, mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:net';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { promisify } from 'node:util';

const skip = (why) => { console.log(`SKIPPED: ${why}`); process.exit(77); };
const chromiumPath = process.env.CHROMIUM || '/usr/bin/chromium';
if (!existsSync(chromiumPath)) skip(`no Chromium at ${chromiumPath}; install the chromium package or set CHROMIUM`);
let chromium;
try {
  ({ chromium } = await import('playwright-core'));
} catch {
  skip('playwright-core is not installed; run `npm ci` in tests/browser (scripts/setup.sh does)');
}

const program = process.env.QB_PROGRAM;
const sourceDir = process.env.QB_SOURCE_DIR;
if (!program || !existsSync(program) || !sourceDir) {
  console.error('Set QB_PROGRAM to the built quillbrook-widgets and QB_SOURCE_DIR to the source tree.');
  process.exit(1);
}
const home = join(sourceDir, 'examples', 'home');
const maxRows = { systemSmall: 4, systemMedium: 5, systemLarge: 7, systemExtraLarge: 16 };
const families = Object.keys(maxRows);
const listKinds = ['ReadingListWidget', 'FavoritesWidget', 'WorkspacesWidget'];

const failures = [];
const check = (ok, message) => { if (!ok) failures.push(message); };

function freePort() {
  return new Promise((resolve, reject) => {
    const server = createServer();
    server.once('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

async function programJson(...args) {
  const { stdout } = await promisify(execFile)(program, [...args, '--home', home, '--format', 'json'],
                                               { env: { ...process.env, LANGUAGE: '', LC_ALL: 'C.UTF-8' } });
  return JSON.parse(stdout);
}

// A desktop whose one application for Quillbrook's links opens only record links (the scheme
// x-quillbrook-item) and writes down each URL it is given; nothing opens the other schemes. Returns the
// environment that makes the dashboard see it.
function recordingDesktop(folder) {
  const script = join(folder, 'opener.sh');
  const log = join(folder, 'opened.txt');
  const applications = join(folder, 'data', 'applications');
  mkdirSync(applications, { recursive: true });
  mkdirSync(join(folder, 'config'), { recursive: true });
  writeFileSync(script, `#!/bin/sh\nprintf '%s\\n' "$1" >> '${log}'\n`);
  chmodSync(script, 0o755);
  writeFileSync(join(applications, 'quillbrook-test-opener.desktop'),
                `[Desktop Entry]\nType=Application\nName=Test opener\nNoDisplay=true\nExec=${script} %u\n` +
                'MimeType=x-scheme-handler/x-quillbrook-item;\n');
  // What update-desktop-database writes when an application is installed.
  writeFileSync(join(applications, 'mimeinfo.cache'),
                '[MIME Cache]\nx-scheme-handler/x-quillbrook-item=quillbrook-test-opener.desktop;\n');
  return {
    environment: { XDG_DATA_HOME: join(folder, 'data'), XDG_CONFIG_HOME: join(folder, 'config'),
                   QUILLBROOK_WIDGETS_OPENER: '' },
    opened: () => (existsSync(log) ? readFileSync(log, 'utf8').split('\n').filter(Boolean) : []),
  };
}

function startServer(port, desktop) {
  const child = spawn(program, ['serve', '--demo', '--port', String(port)],
                      { env: { ...process.env, LANGUAGE: '', LC_ALL: 'C.UTF-8', ...desktop.environment },
                        stdio: ['ignore', 'pipe', 'pipe'] });
  let output = '';
  child.stdout.on('data', (data) => { output += data; });
  child.stderr.on('data', (data) => { output += data; process.stderr.write(data); });
  const ready = new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error(`the dashboard did not start:\n${output}`)), 30000);
    child.stdout.on('data', () => {
      const address = output.match(/http:\/\/127\.0\.0\.1:\d+\/\?token=[0-9a-f]+/);
      if (address) { clearTimeout(timer); resolve(address[0]); }
    });
    child.once('exit', (code) => { clearTimeout(timer); reject(new Error(`the dashboard exited (${code}):\n${output}`)); });
  });
  const exited = new Promise((resolve) => child.once('exit', (code, signal) => resolve({ code, signal })));
  return { child, ready, exited };
}

const port = await freePort();
const profile = mkdtempSync(join(tmpdir(), 'qb-browser-'));
const desktopFolder = mkdtempSync(join(tmpdir(), 'qb-desktop-'));
const desktop = recordingDesktop(desktopFolder);
const server = startServer(port, desktop);
let context;
try {
  const address = await server.ready;
  context = await chromium.launchPersistentContext(profile, {
    executablePath: chromiumPath,
    headless: true,
    viewport: { width: 1720, height: 1200 },
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  const page = context.pages()[0] || await context.newPage();
  const consoleErrors = [];
  page.on('console', (message) => { if (message.type() === 'error') consoleErrors.push(message.text()); });
  page.on('pageerror', (error) => consoleErrors.push(error.message));

  // The secret is exchanged for a cookie and leaves the address bar.
  await page.goto(address);
  check(page.url() === `http://127.0.0.1:${port}/`, `the page stayed at ${page.url()}`);
  await page.waitForFunction(() => {
    const figures = [...document.querySelectorAll('figure.qb-tile')];
    return figures.length > 0 && figures.every((figure) => figure.dataset.source === 'timeline');
  }, null, { timeout: 30000 });

  // Every widget in every family.
  const tiles = await page.$$eval('figure.qb-tile', (figures) => figures.map((figure) => ({
    kind: figure.dataset.kind,
    family: figure.dataset.family,
    rows: figure.querySelectorAll('.qb-widget .qb-item').length,
    text: figure.querySelector('.qb-widget').innerText,
  })));
  check(tiles.length === 16, `expected 16 tiles, found ${tiles.length}`);
  for (const kind of [...listKinds, 'TipsWidget']) {
    const found = tiles.filter((tile) => tile.kind === kind).map((tile) => tile.family);
    check(JSON.stringify(found) === JSON.stringify(families), `${kind} tiles: ${found.join(', ')}`);
  }

  // Rows per family, and the overflow line where the list holds more than the family shows.
  for (const tile of tiles.filter((t) => listKinds.includes(t.kind))) {
    const answer = await programJson('timeline', tile.kind, '--family', tile.family);
    const entry = answer.entries[0];
    const items = entry.items || [];
    const max = maxRows[tile.family];
    const expectedRows = Math.min(items.length, max);
    check(tile.rows === expectedRows, `${tile.kind} ${tile.family}: ${tile.rows} rows, expected ${expectedRows}`);
    check(tile.rows <= max, `${tile.kind} ${tile.family}: more rows than ${max}`);
    const total = entry.displayCount ?? items.length;
    const overflow = `+${total - max} more`;
    if (tile.family !== 'systemExtraLarge' && total > max) {
      check(tile.text.includes(overflow), `${tile.kind} ${tile.family}: no "${overflow}" line`);
    } else {
      check(!/\+\d+ more/.test(tile.text), `${tile.kind} ${tile.family}: an overflow line where none belongs`);
    }
  }

  // An item link opens what the program's JSON names.
  const reading = await programJson('timeline', 'ReadingListWidget', '--family', 'systemMedium');
  const firstURL = reading.entries[0].items[0]?.displayURL;
  const selector = 'figure[data-kind="ReadingListWidget"][data-family="systemMedium"]';
  const href = await page.$eval(`${selector} .qb-widget a.qb-item`, (anchor) => anchor.getAttribute('href'));
  check(firstURL && href === firstURL, `first reading-list link ${href}, the program says ${firstURL}`);
  // A click hands exactly that link to the application the desktop has for its scheme.
  check(href.startsWith('x-quillbrook-item:'), `the first reading-list row links to ${href}`);
  await page.click(`${selector} .qb-widget a.qb-item`);
  for (let waited = 0; desktop.opened().length === 0 && waited < 5000; waited += 100) await page.waitForTimeout(100);
  check(JSON.stringify(desktop.opened()) === JSON.stringify([href]), `opened ${JSON.stringify(desktop.opened())}, clicked ${href}`);
  check(await page.$eval(`${selector} .qb-note`, (note) => note.textContent).catch(() => '') === '',
        'a note under the tile after a link that opened');

  // A link that no application opens says so under its tile, and nothing is opened.
  const webPage = `${selector} .qb-widget a.qb-item[href^="x-quillbrook:"]`;
  await page.click(webPage);
  const note = await page.waitForSelector(`${selector} .qb-note:not(:empty)`, { timeout: 5000 }).catch(() => null);
  const noteText = note ? await note.textContent() : '(no note)';
  check(noteText === 'no application opens x-quillbrook links', `the note under the tile says "${noteText}"`);
  check(desktop.opened().length === 1, `opened ${JSON.stringify(desktop.opened())} after a link nobody opens`);

  // Switching the reading list to unread items redraws its tile.
  const unread = await programJson('timeline', 'ReadingListWidget', '--family', 'systemMedium',
                                   '--set', 'filter=unreadOnly');
  const unreadTitles = unread.entries[0].items.slice(0, maxRows.systemMedium).map((item) => item.displayTitle);
  const seqBefore = await page.$eval(selector, (figure) => figure.dataset.seq);
  await page.selectOption(`${selector} select[data-param="filter"]`, { label: 'Unread Only' });
  await page.waitForFunction(([sel, seq]) => document.querySelector(sel).dataset.seq !== seq, [selector, seqBefore],
                             { timeout: 15000 });
  const shownTitles = await page.$$eval(`${selector} .qb-widget .qb-item`,
                                        (rows) => rows.map((row) => row.querySelector('.qb-t').textContent));
  check(JSON.stringify(shownTitles) === JSON.stringify(unreadTitles),
        `unread-only rows ${JSON.stringify(shownTitles)}, the program says ${JSON.stringify(unreadTitles)}`);
  check(reading.entries[0].items.length !== unread.entries[0].items.length,
        'the sample reading list should differ between all and unread items');

  // A second poll round must not disturb anything.
  await page.waitForTimeout(2500);
  check(consoleErrors.length === 0, `console errors: ${consoleErrors.join(' | ')}`);

} catch (error) {
  failures.push(error.stack || String(error));
} finally {
  if (context) {
    // The picture is kept whatever happened: it is the first thing to look at when a check fails.
    if (process.env.QB_SCREENSHOT && context.pages()[0]) {
      const shown = context.pages()[0];
      await shown.screenshot({ path: process.env.QB_SCREENSHOT, fullPage: true }).catch(() => {});
      await shown.emulateMedia({ colorScheme: 'dark' }).catch(() => {});
      await shown.screenshot({ path: process.env.QB_SCREENSHOT.replace(/\.png$/, '-dark.png'), fullPage: true })
        .catch(() => {});
    }
    await context.close();
  }
  rmSync(profile, { recursive: true, force: true });
  rmSync(desktopFolder, { recursive: true, force: true });
  server.child.kill('SIGINT');
  const { code, signal } = await server.exited;
  check(code === 0, `the dashboard did not stop cleanly on SIGINT (code ${code}, signal ${signal})`);
}

if (failures.length) {
  console.error(`FAILED:\n- ${failures.join('\n- ')}`);
  process.exit(1);
}
console.log('dashboard: all checks passed');
