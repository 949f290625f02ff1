// The page in Debian's chromium: what it downloads is what `splashpack build` writes for the
// command line it shows, its preview is `splashpack preview`'s, it reports bad input in the
// command line's words, and once loaded it asks the network for nothing.
import {test, before, after} from 'node:test';
import assert from 'node:assert/strict';
import {execFileSync, spawnSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {fileURLToPath} from 'node:url';
import {openPage} from './browser.mjs';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const pageFolder = process.env.SPLASH_PAGE || path.join(root, 'build/web/page');
const toolFolder = path.dirname(process.env.SPLASHPACK ||
                                path.join(root, 'build/release/tools/splashpack/splashpack'));
const inputs = fs.mkdtempSync(path.join(os.tmpdir(), 'splash-page-inputs-'));
let browser;
let page;

// The inputs, made here by ImageMagick and sox: a photo-like PNG, the same turned by Exif, an
// 8-bit BMP the player reads as it is, a short WAV, and a PNG cut off half way.
function makeInputs() {
  const at = (name) => path.join(inputs, name);
  execFileSync('convert', ['-size', '120x90', 'gradient:#2040a0-#f0c040', '-fill', '#c02020',
                           '-draw', 'circle 60,45 60,20', at('photo.png')]);
  execFileSync('convert', [at('photo.png'), '-orient', 'right-top', '-quality', '90',
                           at('turned.jpg')]);
  execFileSync('convert', [at('photo.png'), '-colors', '200', '-type', 'Palette',
                           `BMP3:${at('palette.bmp')}`]);
  execFileSync('sox', ['-n', '-r', '44100', '-c', '2', '-b', '16', at('chime.wav'), 'synth',
                       '0.2', 'sine', '660', 'sine', '880']);
  const png = fs.readFileSync(at('photo.png'));
  fs.writeFileSync(at('cut.png'), png.subarray(0, png.length >> 1));
}

async function waitForWork(action) {
  const before = await page.evaluate(() => splashPage.timings.runs);
  await action();
  await page.waitForFunction(
      (count) => splashPage.settled && splashPage.timings.runs > count,
      {timeout: 20000}, before);
}

// Sets the form's fields by id: text, choices and boxes (true or false), as typing would.
async function setFields(values) {
  if (Object.keys(values).length === 0)
    return;
  await waitForWork(() => page.evaluate((values) => {
    for (const [id, value] of Object.entries(values)) {
      const element = document.getElementById(id);
      if (typeof value === 'boolean')
        element.checked = value;
      else
        element.value = value;
      element.dispatchEvent(new Event('input', {bubbles: true}));
    }
  }, values));
}

// A file chooser fires no change when given the file it holds already.
const chosen = {};
async function choose(id, file) {
  if (chosen[id] === file)
    return;
  chosen[id] = file;
  const element = await page.$('#' + id);
  await waitForWork(() => element.uploadFile(path.join(inputs, file)));
}

// The file the link or button gives, as the browser saved it.
async function download(selector, name) {
  const saved = path.join(browser.downloads, name);
  fs.rmSync(saved, {force: true});
  await page.click(selector);
  for (let waited = 0; waited < 10000; waited += 50) {
    if (fs.existsSync(saved) && !fs.existsSync(saved + '.crdownload'))
      return fs.readFileSync(saved);
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
  throw new Error(`${name} was not downloaded`);
}

// Runs the command line the page shows, in a folder that holds the same inputs by name.
function runShownCommand(command, extra = '') {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'splash-page-cli-'));
  for (const name of fs.readdirSync(inputs))
    fs.copyFileSync(path.join(inputs, name), path.join(folder, name));
  const result = spawnSync('sh', ['-c', command + extra], {
    cwd: folder, encoding: 'utf8',
    env: {...process.env, PATH: `${toolFolder}:${process.env.PATH}`},
  });
  return {folder, ...result};
}

before(async () => {
  makeInputs();
  browser = await openPage(pageFolder);
  page = browser.page;
});

after(async () => {
  if (browser)
    await browser.close();
  fs.rmSync(inputs, {recursive: true, force: true});
});

test('every download is what splashpack build writes for the command shown', async () => {
  const cases = [
    {picture: 'photo.png', fields: {}},
    {picture: 'photo.png', sound: 'chime.wav',
     fields: {'target': 'setup\\install.exe', 'display-time': '2.5s', 'launch-delay': '500ms',
              'min-resolution': '800x600', 'min-colour-depth': '16',
              'message': 'Désolé: 800 x 600 at least', 'background': '#102030',
              'sound-rate': '11025', 'mono': true}},
    {picture: 'turned.jpg', sound: null,
     fields: {'target': '', 'display-time': '', 'launch-delay': '', 'min-resolution': '',
              'min-colour-depth': '', 'message': '', 'background': '', 'sound-rate': '',
              'mono': false, 'fit': '64x64'}},
    {picture: 'palette.bmp', fields: {'fit': ''}},
    {picture: 'photo.png', fields: {'colours': '256', 'autorun': true, 'autorun-label': 'DEMO CD',
                                    'output': 'start.exe'}},
  ];
  for (const c of cases) {
    await choose('picture-file', c.picture);
    if (c.sound)
      await choose('sound-file', c.sound);
    else if (c.sound === null)
      await waitForWork(() => page.click('#sound-clear')), delete chosen['sound-file'];
    await setFields(c.fields);
    const command = await page.$eval('#command', (element) => element.value);
    const output = c.fields.output || 'splash.exe';
    const fromPage = await download('#download-splash', output);
    const cli = runShownCommand(command);
    assert.equal(cli.status, 0, cli.stderr);
    assert.ok(fromPage.equals(fs.readFileSync(path.join(cli.folder, output))), command);
    if (c.fields.autorun)
      assert.ok((await download('#download-autorun', 'autorun.inf'))
                    .equals(fs.readFileSync(path.join(cli.folder, 'autorun.inf'))), command);
    fs.rmSync(cli.folder, {recursive: true, force: true});
  }
  await setFields({'colours': '', 'autorun': false, 'autorun-label': '', 'output': ''});
});

test('each code page stores the target and the message as the command line does', async () => {
  // A word of each code page's script, as the command line's own code page table has them.
  const words = {
    '': 'Désolé €', 1250: 'Łódź', 1251: 'При €', 1253: 'Ωμέ', 1254: 'Ağış', 1255: 'שלום',
    1256: 'سلام', 1257: 'Łūž', 1258: 'đê', 874: 'ไทย €', 932: '日本ア\\', 936: '中文€',
    949: '한국', 950: '中文€',
  };
  await choose('picture-file', 'photo.png');
  for (const [codePage, word] of Object.entries(words)) {
    await setFields({'code-page': codePage, 'message': word, 'target': word + '.exe'});
    const command = await page.$eval('#command', (element) => element.value);
    const fromPage = await download('#download-splash', 'splash.exe');
    const cli = runShownCommand(command);
    assert.equal(cli.status, 0, cli.stderr);
    assert.ok(fromPage.equals(fs.readFileSync(path.join(cli.folder, 'splash.exe'))), command);
    fs.rmSync(cli.folder, {recursive: true, force: true});
    // Opened again, the splash is read in the code page it records.
    const opened = `coded${codePage}.exe`;
    fs.writeFileSync(path.join(inputs, opened), fromPage);
    await choose('splash-file', opened);
    const text = await page.$eval('#inspect-text', (element) => element.textContent);
    assert.ok(text.includes('"' + word + '"') && text.includes(word + '.exe'), text);
    assert.ok(text.includes('Code page           ' + (codePage || '1252') + ', as the splash records'),
              text);
  }
  // Opening a splash shows it in the preview; the tests after this one preview the built one.
  await setFields({'code-page': '', 'message': '', 'target': '', 'preview-of': 'built'});
});

test('the preview is the one splashpack preview draws, on the canvas too', async () => {
  await choose('picture-file', 'photo.png');
  const screens = [
    // The requirements box, drawn with the page's font.
    {fields: {'min-resolution': '1024x768', 'message': 'Trop petit: ÀÉÎÕÜ çñ ß €'},
     screen: {'screen-size': '800x600', 'screen-depth': '32', 'screen-windows': '98'}},
    {fields: {'min-resolution': ''},
     screen: {'screen-size': '640x480', 'screen-depth': '16-555', 'screen-windows': 'xp'}},
    // A 16-colour screen: the VGA colours.
    {fields: {},
     screen: {'screen-size': '640x480', 'screen-depth': '4', 'screen-windows': 'xp'}},
  ];
  for (const s of screens) {
    await setFields(s.fields);
    await setFields(s.screen);
    const command = await page.$eval('#command', (element) => element.value);
    const fromPage = await download('#download-preview', 'preview.png');
    const [width, height] = s.screen['screen-size'].split('x');
    const depth = s.screen['screen-depth'].split('-');
    const cli = runShownCommand(command, ` && splashpack preview splash.exe -o preview.png ` +
        `--screen ${width}x${height} --depth ${depth[0]} --windows ${s.screen['screen-windows']}` +
        (depth[1] ? ' --sixteen-bit-layout 555' : ''));
    assert.equal(cli.status, 0, cli.stderr);
    const expected = fs.readFileSync(path.join(cli.folder, 'preview.png'));
    assert.ok(fromPage.equals(expected), command);
    // The canvas shows those pixels: the command line's PNG, decoded by the browser.
    const same = await page.evaluate(async (pngBase64) => {
      const bytes = Uint8Array.from(atob(pngBase64), (c) => c.charCodeAt(0));
      const image = await createImageBitmap(new Blob([bytes], {type: 'image/png'}));
      const scratch = new OffscreenCanvas(image.width, image.height).getContext('2d');
      scratch.drawImage(image, 0, 0);
      const want = scratch.getImageData(0, 0, image.width, image.height).data;
      const canvas = document.getElementById('preview');
      const shown = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
      return want.length === shown.length && want.every((value, i) => value === shown[i]);
    }, expected.toString('base64'));
    assert.ok(same, 'canvas pixels ' + s.screen['screen-size']);
    fs.rmSync(cli.folder, {recursive: true, force: true});
  }
  await setFields({'min-resolution': '', 'message': ''});
});

test('bad input is named in the command line words and leaves nothing to download', async () => {
  // A picture cut short; a splash that would be written over its own picture.
  for (const [picture, output] of [['cut.png', ''], ['photo.png', 'photo.png']]) {
    await choose('picture-file', picture);
    await setFields({output});
    const command = await page.$eval('#command', (element) => element.value);
    const cli = runShownCommand(command);
    assert.equal(cli.status, 1);
    assert.equal(await page.$eval('#error', (element) => element.textContent), cli.stderr.trim());
    assert.equal(await page.$eval('#download-splash', (link) => link.hasAttribute('href')), false);
    fs.rmSync(cli.folder, {recursive: true, force: true});
  }
  await setFields({output: ''});

  // A splash cut short loses its trailer.
  await choose('picture-file', 'photo.png');
  const splash = await download('#download-splash', 'splash.exe');
  fs.writeFileSync(path.join(inputs, 'damaged.exe'), splash.subarray(0, splash.length - 5));
  await choose('splash-file', 'damaged.exe');
  const inspect = runShownCommand('splashpack inspect damaged.exe');
  assert.equal(inspect.status, 1);
  assert.equal(await page.$eval('#splash-file-notes', (element) => element.textContent),
               inspect.stderr.trim());
  assert.equal(await page.$eval('#extract-picture', (link) => link.hasAttribute('href')), false);
  fs.rmSync(inspect.folder, {recursive: true, force: true});
});

test('an opened splash gives back its settings, picture and sound', async () => {
  await choose('picture-file', 'palette.bmp');
  await choose('sound-file', 'chime.wav');
  await setFields({'target': 'go.exe'});
  fs.writeFileSync(path.join(inputs, 'made.exe'), await download('#download-splash', 'splash.exe'));
  await choose('splash-file', 'made.exe');
  const cli = runShownCommand('splashpack inspect made.exe && splashpack extract made.exe');
  assert.equal(cli.status, 0, cli.stderr);
  assert.equal(await page.$eval('#inspect-text', (element) => element.textContent), cli.stdout
      .split('wrote the picture')[0]);
  assert.ok((await download('#extract-picture', 'made.bmp'))
                .equals(fs.readFileSync(path.join(cli.folder, 'made.bmp'))));
  assert.ok((await download('#extract-sound', 'made.wav'))
                .equals(fs.readFileSync(path.join(cli.folder, 'made.wav'))));
  fs.rmSync(cli.folder, {recursive: true, force: true});
  // The README's picture of the page: its top, as a 1024 x 768 window shows it.
  await page.evaluate(() => window.scrollTo(0, 0));
  await page.screenshot({path: path.join(pageFolder, '..', 'page-screenshot.png')});
});

test('after loading, the page asks the network for nothing', () => {
  const network = browser.requests.filter((url) => !/^(blob|data):/.test(url));
  assert.deepEqual(network, []);
});
