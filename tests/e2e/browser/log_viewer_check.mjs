// Opens an HTML log written by Talvik in headless Chromium and checks the
// level filter of html/logchess.js: the count table's links show one
// level's rows, a second click or the "ALL" link shows every row again.
//
// Usage: node log_viewer_check.mjs <logfile.html>
// Prints "ok" and exits with 0 when every check holds; otherwise prints
// what failed and exits with 1.
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

const logFile = process.argv[2];
if (!logFile) {
  console.error('usage: node log_viewer_check.mjs <logfile.html>');
  process.exit(2);
}

const failures = [];
function check(condition, message) {
  if (!condition) failures.push(message);
}

// Classes of the visible rows of the log table, in order.
async function visibleClasses(page) {
  return page.$$eval('#tablelog tr', (rows) =>
    rows.filter((row) => getComputedStyle(row).display !== 'none').map((row) => row.className));
}

async function countOf(page, level) {
  const text = await page
    .locator('#logcount tr', { has: page.locator(`a:text-is("${level}")`) })
    .locator('td')
    .textContent();
  return Number(text);
}

const userDataDir = mkdtempSync(join(tmpdir(), 'talvik-chromium-'));
let context;
try {
  context = await chromium.launchPersistentContext(userDataDir, {
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: [
      '--headless',
      '--no-sandbox',
      '--disable-gpu',
      '--disable-quic',
      '--no-first-run',
      '--disable-background-networking',
      '--disable-component-update',
      '--disable-sync',
    ],
  });
  const page = context.pages()[0] || (await context.newPage());
  const scriptErrors = [];
  page.on('pageerror', (error) => scriptErrors.push(String(error)));
  await page.goto(pathToFileURL(resolve(logFile)).href);

  const all = await visibleClasses(page);
  const guiRows = all.filter((c) => c === 'gui').length;
  const infoRows = all.filter((c) => c === 'info').length;
  check(guiRows > 0 && infoRows > 0, `the log needs GUI and INFO rows, has ${JSON.stringify(all)}`);
  check((await page.evaluate(() => typeof window.showLevel)) === 'function', 'showLevel is missing');
  check(guiRows === (await countOf(page, 'GUI')), 'GUI rows and the GUI count differ');
  check(infoRows === (await countOf(page, 'INFO')), 'INFO rows and the INFO count differ');

  await page.click('#logcount a:text-is("GUI")');
  let shown = await visibleClasses(page);
  check(shown.length === guiRows && shown.every((c) => c === 'gui'), `after GUI: ${JSON.stringify(shown)}`);
  check(page.url().endsWith('.html'), `a level link navigated to ${page.url()}`);

  await page.click('#logcount a:text-is("INFO")');
  shown = await visibleClasses(page);
  check(shown.length === infoRows && shown.every((c) => c === 'info'), `after INFO: ${JSON.stringify(shown)}`);

  await page.click('#logcount a:text-is("INFO")');
  shown = await visibleClasses(page);
  check(shown.length === all.length, `a second click on INFO shows ${shown.length} of ${all.length} rows`);

  await page.click('#logcount a:text-is("GUI")');
  await page.click('#logcount a:text-is("ALL")');
  shown = await visibleClasses(page);
  check(shown.length === all.length, `ALL shows ${shown.length} of ${all.length} rows`);
  check(Number(await countOf(page, 'ALL')) === all.length, 'the ALL count is not the number of rows');

  // A level without rows shows an empty table, not everything.
  await page.click('#logcount a:text-is("CRITICAL")');
  shown = await visibleClasses(page);
  check(shown.length === 0, `after CRITICAL: ${JSON.stringify(shown)}`);

  check(scriptErrors.length === 0, `script errors: ${scriptErrors.join('; ')}`);
} catch (error) {
  failures.push(String(error && error.stack ? error.stack : error));
} finally {
  if (context) await context.close();
  rmSync(userDataDir, { recursive: true, force: true });
}

if (failures.length) {
  console.log(failures.join('\n'));
  process.exit(1);
}
console.log('ok');
