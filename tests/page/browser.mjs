// The page in a real browser: its folder served from 127.0.0.1 by this process, and Debian's
// chromium driven through the DevTools protocol. Everything started here is stopped by close().
import http from 'node:http';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const types = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.css': 'text/css',
  '.wasm': 'application/wasm', '.txt': 'text/plain; charset=utf-8', '.png': 'image/png',
  '.json': 'application/json', '.webmanifest': 'application/manifest+json',
};

// A static server over `folder`, on a free port of the loopback address only; `served` lists
// the paths it is asked for, and `instead` holds texts served in place of files, by path.
function serve(folder, served, instead) {
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    served.push(name);
    if (instead.has(name)) {
      response.writeHead(200, {'Content-Type': types[path.extname(name)]}).end(instead.get(name));
      return;
    }
    const file = path.join(folder, name === '/' ? 'index.html' : name);
    if (!file.startsWith(folder + path.sep) || !fs.existsSync(file)) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, {'Content-Type': types[path.extname(file)] || 'application/octet-stream'});
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// Flags for a root user on a machine with no network: no sandbox (root), nothing fetched in the
// background, a profile of its own.
function chromiumArguments(profile) {
  return ['--no-sandbox', '--headless', '--disable-gpu', '--disable-quic', '--no-first-run',
          '--disable-background-networking', '--disable-component-update', '--disable-sync',
          `--user-data-dir=${profile}`];
}

export async function openPage(folder, viewport = {width: 1024, height: 768}) {
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'splash-page-'));
  const downloads = path.join(scratch, 'downloads');
  fs.mkdirSync(downloads);
  const served = [];
  const instead = new Map();
  const server = await serve(folder, served, instead);
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: chromiumArguments(path.join(scratch, 'profile')),
    defaultViewport: viewport,
  });
  const page = await browser.newPage();
  const session = await page.createCDPSession();
  await session.send('Browser.setDownloadBehavior',
                     {behavior: 'allow', downloadPath: downloads, eventsEnabled: true});
  const address = `http://127.0.0.1:${server.address().port}/`;
  const requests = [];
  let loaded = false;
  page.on('request', (request) => {
    if (loaded)
      requests.push(request.url());
  });
  await page.goto(address, {waitUntil: 'load'});
  await page.evaluate(() => window.splashPage.ready);
  loaded = true;
  const servedBeforeLoad = served.length;
  const browserProcess = browser.process();
  let serving = true;
  const stopServing = async () => {
    if (!serving)
      return;
    serving = false;
    const closed = new Promise((resolve) => server.close(resolve));
    server.closeAllConnections?.();
    await closed;
  };

  return {
    page, downloads, requests, address,
    // What the server was asked for after the page had loaded.
    servedAfterLoad: () => served.slice(servedBeforeLoad),
    // Serves `text` at `name` from now on, in place of the file: another version of the page.
    serveInstead: (name, text) => instead.set(name, text),
    // Stops the server, as a network that is gone would.
    stopServing,
    async close() {
      await browser.close().catch(() => {});
      if (browserProcess && browserProcess.exitCode === null)
        browserProcess.kill('SIGKILL');
      await stopServing();
      fs.rmSync(scratch, {recursive: true, force: true});
    },
  };
}
