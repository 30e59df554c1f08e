// Drives the robot's pages in Debian's headless Chromium, as an entrant and as the
// organiser, and keeps a screenshot of each page it passes through.
//   node pages_check.js URL LOG CALL SCORE TOKEN SHOTS
// Exit status 0 when every step showed what it should; otherwise the step is named.
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');

const [url, log, call, score, token, shots] = process.argv.slice(2);

function expect(what, ok) {
  if (!ok) throw new Error(what);
}

async function text(page, selector) {
  const element = await page.$(selector);
  return element ? (await page.evaluate(e => e.textContent, element)).trim() : null;
}

async function submit(page, selector) {
  await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), page.click(selector)]);
}

(async () => {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'zelta-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', '--no-first-run'],
  });
  let status = 0;
  try {
    const page = await browser.newPage();
    await page.setViewport({ width: 1000, height: 900 });
    // No page of the robot holds a script.
    let scripts = 0;
    page.on('load', async () => { scripts += (await page.$$('script')).length; });

    // The entrant: the upload page, a file chosen, the receipt.
    await page.goto(url + '/');
    expect('the upload page has the form', (await page.$('form.upload input[type=file]#log')) !== null);
    await page.screenshot({ path: path.join(shots, 'upload.png') });
    await (await page.$('#log')).uploadFile(log);
    await page.type('#email', 'entrant@example.org');
    await submit(page, 'form.upload button[type=submit]');
    const receipt = await text(page, '#receipt');
    expect('a receipt number is shown (' + receipt + ')', /^R-\d{8}-\d{4,}-[0-9a-f]{16}$/.test(receipt || ''));
    expect('the receipt names the call ' + call + ' (' + (await text(page, '#call')) + ')',
           (await text(page, '#call')) === call);
    expect('the receipt shows the score ' + score + ' (' + (await text(page, '#score')) + ')',
           (await text(page, '#score')) === score);
    await page.screenshot({ path: path.join(shots, 'receipt.png'), fullPage: true });

    // The organiser: logged in with the token, the check run, the results published.
    const login = await page.goto(url + '/organiser?lang=en');
    expect('the organiser page asks for the token first', login.status() === 401);
    await page.type('#token', token);
    await submit(page, '#login');
    expect('the upload is listed for the organiser', (await page.content()).includes(receipt));
    await submit(page, '#run-check');
    for (let i = 0; i < 120 && !(await page.$('#publish')); i++) {
      const state = await text(page, '#check-status');
      expect('the check does not fail (' + state + ')', !(await page.$('p.error#check-status')));
      await new Promise(resolve => setTimeout(resolve, 1000));
      await page.reload({ waitUntil: 'load' });
    }
    await page.screenshot({ path: path.join(shots, 'organiser.png'), fullPage: true });
    await submit(page, '#publish');
    expect('the page says the results are published', (await page.$('#published a')) !== null);
    await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), page.click('#published a')]);
    const rows = await page.$$eval('table.results tbody tr', trs => trs.map(tr => tr.textContent));
    expect('the published results list ' + call, rows.some(row => row.includes(call)));
    await page.screenshot({ path: path.join(shots, 'results.png'), fullPage: true });
    expect('no page ran a script', scripts === 0);
    console.log('pages checked in the browser: receipt ' + receipt + ', ' + rows.length + ' results');
  } catch (error) {
    console.error('FAILED: ' + error.message);
    status = 1;
  } finally {
    await browser.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
  process.exit(status);
})();
