// What the browser test needs around the browser: the program's own answers, a desktop that records
// the links it is asked to open, a dashboard started on a free port, and the accessibility checker.

import { spawn, execFile } from 'node:child_process';
import { chmodSync, existsSync, mkdirSync, readFileSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { createServer } from 'node:net';
import { join } from 'node:path';
import { promisify } from 'node:util';

export const programEnvironment = { LANGUAGE: '', LC_ALL: 'C.UTF-8' };

export function freePort() {
  return new Promise((resolve, reject) => {
    const server = createServer();
    server.once('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

// The program's JSON answer for one command, run on `home`.
export async function programJson(program, home, ...args) {
  const { stdout } = await promisify(execFile)(program, [...args, '--home', home, '--format', 'json'],
                                               { env: { ...process.env, ...programEnvironment } });
  return JSON.parse(stdout);
}

// A desktop whose one application for Quillbrook's links opens only record links (the scheme
// x-quillbrook-item) and writes down each URL it is given; nothing opens the other schemes. Returns the
// environment that makes the dashboard see it (its configuration folder too).
export function recordingDesktop(folder) {
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

// `serve` with the arguments on `port`: `ready` gives the address with the secret that it prints.
export function startServer(program, port, args, environment) {
  const child = spawn(program, ['serve', '--port', String(port), ...args],
                      { env: { ...process.env, ...programEnvironment, ...environment },
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
  ready.catch(() => {});  // reported where it is awaited; a server stopped before it was needed is no error
  const exited = new Promise((resolve) => child.once('exit', (code, signal) => resolve({ code, signal })));
  return { child, ready, exited };
}

// Waits until every tile of the page shows what its widget's timeline answered.
export async function tilesDrawn(page) {
  await page.waitForFunction(() => {
    const figures = [...document.querySelectorAll('figure.qb-tile')];
    return figures.length > 0 && figures.every((figure) => figure.dataset.source === 'timeline');
  }, null, { timeout: 30000 });
}

// The checker's script, or nothing when it is not installed.
export function axeSource() {
  try {
    return readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');
  } catch {
    return null;
  }
}

// What the accessibility checker finds wrong with the page as it is shown now: every violation, and
// every text whose contrast it could not measure (a contrast nobody measured is no contrast met). The
// script is evaluated by the browser's debugger, which the page's own content security policy does not
// govern, so that the page is checked exactly as it is served.
export async function accessibilityProblems(page, axe, label) {
  if (!(await page.evaluate(() => typeof window.axe === 'object'))) await page.evaluate(axe);
  const result = await page.evaluate(() => window.axe.run(document, { resultTypes: ['violations', 'incomplete'] }));
  const problems = [];
  const describe = (rule) => rule.nodes.slice(0, 3)
    .map((node) => `${node.target.join(' ')}: ${(node.any[0] || node.all[0] || node.none[0] || {}).message || ''}`)
    .join('; ');
  for (const rule of result.violations) problems.push(`${label}: ${rule.id} (${rule.nodes.length}): ${describe(rule)}`);
  for (const rule of result.incomplete.filter((r) => r.id === 'color-contrast'))
    problems.push(`${label}: contrast not measurable (${rule.nodes.length}): ${describe(rule)}`);
  return problems;
}
