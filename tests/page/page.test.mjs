// The page in Debian's chromium: what it downloads is what `splashpack build` writes for the
// command line it shows (as a POSIX shell and as a Windows batch file run it), and what
// splashpack.exe writes under Wine, its preview is `splashpack preview`'s, it reports bad input
// in the command line's words, builds the latest settings only, fits a narrow window, and once
// loaded it asks the network for nothing but its own files, which it then builds from offline.
import {test, before, after} from 'node:test';
import assert from 'node:assert/strict';
import {execFileSync, spawnSync} from 'node:child_process';
import crypto from 'node:crypto';
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
// splashpack.exe and the Wine rig of its build: the shipped 32-bit build where this machine runs
// 32-bit code, else the 64-bit one.
const windowsFolder = process.env.SPLASH_WINDOWS_BUILD ||
    path.join(root, spawnSync('/lib/ld-linux.so.2', ['--version']).status === 0 ? 'build/windows'
                                                                               : 'build/windows64');
const windowsTool = path.join(windowsFolder, 'tools/splashpack/splashpack.exe');
const wineRun = path.join(windowsFolder, 'wine-run');
let browser;
let page;
let ownRig = false;

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

// Photo-like pixels from a fixed generator, the same on every run: octaves of value noise and a
// grain over a gradient, or over a radial gradient with a disc; a binary PPM for ImageMagick.
function photoLike(width, height, disc) {
  let state = 0x2545f491;
  const next = () => {
    state = (state ^ (state << 13)) >>> 0;
    state = (state ^ (state >>> 17)) >>> 0;
    state = (state ^ (state << 5)) >>> 0;
    return state / 4294967296;
  };
  const octaves = [64, 29, 13, 6, 3].map((cell) => {
    const columns = Math.ceil(width / cell) + 2;
    const rows = Math.ceil(height / cell) + 2;
    return {cell, columns, values: Float64Array.from({length: columns * rows * 3}, next)};
  });
  const pixels = Buffer.alloc(width * height * 3);
  for (let y = 0; y < height; ++y)
    for (let x = 0; x < width; ++x)
      for (let c = 0; c < 3; ++c) {
        const [u, v] = [x / width, y / height];
        let value = disc ? 250 - 200 * Math.hypot(u - 0.5, v - 0.5) * (1 + c / 3)
                         : 40 + 170 * [u, v, (u + v) / 2][c];
        if (disc && Math.hypot(x - width / 2, y - height / 2) < height * 0.3)
          value = [200, 50, 40][c];
        for (const {cell, columns, values} of octaves) {
          const [ix, iy] = [Math.floor(x / cell), Math.floor(y / cell)];
          const [fx, fy] = [x / cell - ix, y / cell - iy];
          const at = (i, j) => values[((iy + j) * columns + ix + i) * 3 + c];
          const smooth = (at(0, 0) * (1 - fx) + at(1, 0) * fx) * (1 - fy) +
                         (at(0, 1) * (1 - fx) + at(1, 1) * fx) * fy;
          value += (smooth - 0.5) * cell * (disc ? 0.5 : 1.4);
        }
        value += (next() - 0.5) * 12;
        pixels[(y * width + x) * 3 + c] = Math.max(0, Math.min(255, Math.round(value)));
      }
  return Buffer.concat([Buffer.from(`P6\n${width} ${height}\n255\n`), pixels]);
}

// The inputs of the table of front-ends: photo-like pictures of odd sizes with far more than 256
// colours, one of each source kind, and sounds of each sample format.
function makeTableInputs() {
  const at = (name) => path.join(inputs, name);
  const magick = (...args) => execFileSync('convert', args);
  fs.writeFileSync(at('noise.ppm'), photoLike(801, 601, false));
  fs.writeFileSync(at('disc.ppm'), photoLike(1203, 803, true));
  magick(at('noise.ppm'), at('noise.png'));
  magick(at('disc.ppm'), '-interlace', 'Plane', '-quality', '88', at('disc.jpg'));
  for (const name of ['noise.ppm', 'disc.ppm'])
    fs.rmSync(at(name));
  magick(at('noise.png'), '-crop', '517x389+101+77', '+repage', '-orient', 'left-bottom',
         '-quality', '92', at('turned-noise.jpg'));
  magick(at('noise.png'), '-crop', '457x311+3+5', '+repage', at('noise.gif'));
  magick(at('noise.png'), '-crop', '517x389+201+111', '+repage', '-type', 'TrueColor',
         `BMP3:${at('noise.bmp')}`);
  magick(at('noise.png'), '-crop', '333x251+17+29', '+repage', '-alpha', 'set', '-background',
         'none', '-vignette', '0x30', at('vignette.png'));
  const sox = (...args) => execFileSync('sox', ['-R', '-n', ...args]);
  const tones = (seconds) => ['synth', seconds, 'sine', '523', 'pinknoise', 'synth', seconds,
                              'sine', 'mix', '1319', 'gain', '-3'];
  sox('-r', '44100', '-c', '2', '-b', '16', at('s16.wav'), ...tones('0.4'));
  sox('-r', '22050', '-c', '2', '-b', '8', '-e', 'unsigned-integer', at('s8.wav'), ...tones('0.4'));
  sox('-r', '48000', '-c', '2', '-b', '24', at('s24.wav'), ...tones('0.4'));
  sox('-r', '44100', '-c', '2', '-b', '32', '-e', 'floating-point', at('f32.wav'), ...tones('0.4'));
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

// Whether the Wine rig of splashpack.exe's build is up: the tests start it when it is not, and
// then stop it again.
function rigRunning() {
  const pidFile = path.join(windowsFolder, 'wine-rig/xvfb.pid');
  if (!fs.existsSync(pidFile))
    return false;
  return spawnSync('kill', ['-0', fs.readFileSync(pidFile, 'utf8').trim()]).status === 0;
}

function ensureRig() {
  assert.ok(fs.existsSync(windowsTool), `${windowsTool} is not built`);
  if (!rigRunning()) {
    assert.equal(spawnSync(wineRun, ['start']).status, 0, 'the Wine rig does not start');
    ownRig = true;
  }
}

before(async () => {
  makeInputs();
  makeTableInputs();
  browser = await openPage(pageFolder);
  page = browser.page;
});

after(async () => {
  if (browser)
    await browser.close();
  if (ownRig)
    spawnSync(wineRun, ['stop']);
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

// The machine splashpack.exe is built for, from its PE header: x87 arithmetic can show only in
// the 32-bit one.
function windowsToolKind() {
  const exe = fs.readFileSync(windowsTool);
  const machine = exe.readUInt16LE(exe.readUInt32LE(0x3c) + 4);
  return machine === 0x14c ? 'splashpack.exe (32-bit, x87)'
                           : 'splashpack.exe (64-bit build: this machine runs no 32-bit code)';
}

// Runs the command the page shows with splashpack.exe under Wine, in a folder of the inputs.
function runShownCommandUnderWine(command) {
  return runShownCommand(`splashpack() { "${wineRun}" "${windowsTool}" "$@"; }; ${command}`);
}

test('the Linux tool, splashpack.exe under Wine and the page write the same bytes', async () => {
  ensureRig();
  const plain = {'fit': '', 'background': '', 'colours': '', 'no-dither': false, 'sound-rate': '',
                 'sound-bits': '', 'mono': false};
  // Each transforming option once, from pictures and sounds that take every path through it.
  const rows = [
    ['--fit, PNG', 'noise.png', null, {'fit': '640x480'}],
    ['--fit, progressive JPEG', 'disc.jpg', null, {'fit': '800x600'}],
    ['--fit, JPEG turned by Exif', 'turned-noise.jpg', null, {'fit': '320x240'}],
    ['--fit, GIF', 'noise.gif', null, {'fit': '300x200'}],
    ['--fit, BMP the player reads', 'noise.bmp', null, {'fit': '400x300'}],
    ['--fit, transparent PNG, --background', 'vignette.png', null,
     {'fit': '200x150', 'background': '#4080c0'}],
    ['--colours 256', 'noise.png', null, {'colours': '256'}],
    ['--colours 256 --no-dither', 'noise.png', null, {'colours': '256', 'no-dither': true}],
    ['--colours 256, progressive JPEG', 'disc.jpg', null, {'colours': '256'}],
    ['--colours 16', 'noise.png', null, {'colours': '16'}],
    ['--colours 16 --no-dither', 'noise.png', null, {'colours': '16', 'no-dither': true}],
    ['--colours system', 'noise.png', null, {'colours': 'system'}],
    ['--colours system --no-dither', 'noise.png', null, {'colours': 'system', 'no-dither': true}],
    ['--fit --colours 256, GIF', 'noise.gif', null, {'fit': '320x240', 'colours': '256'}],
    ['--sound-rate 22050, 16-bit', 'photo.png', 's16.wav', {'sound-rate': '22050'}],
    ['--sound-rate 11025, 24-bit 48 kHz', 'photo.png', 's24.wav', {'sound-rate': '11025'}],
    ['--sound-rate 22050, float', 'photo.png', 'f32.wav', {'sound-rate': '22050'}],
    ['--sound-rate 11025, 8-bit 22 kHz', 'photo.png', 's8.wav', {'sound-rate': '11025'}],
    ['--sound-bits 8', 'photo.png', 's16.wav', {'sound-bits': '8'}],
    ['--sound-bits 8, float', 'photo.png', 'f32.wav', {'sound-bits': '8'}],
    ['--mono, 8-bit', 'photo.png', 's8.wav', {'mono': true}],
    ['--mono, 16-bit', 'photo.png', 's16.wav', {'mono': true}],
    ['--mono, 24-bit', 'photo.png', 's24.wav', {'mono': true}],
    ['--mono, float', 'photo.png', 'f32.wav', {'mono': true}],
  ];
  const hash = (bytes) => crypto.createHash('sha256').update(bytes).digest('hex').slice(0, 16);
  const table = [];
  for (const [name, picture, sound, fields] of rows) {
    await choose('picture-file', picture);
    if (sound)
      await choose('sound-file', sound);
    else if (chosen['sound-file'])
      await waitForWork(() => page.click('#sound-clear')), delete chosen['sound-file'];
    await setFields({...plain, ...fields});
    const command = await page.$eval('#command', (element) => element.value);
    const fromPage = await download('#download-splash', 'splash.exe');
    const row = {name, page: hash(fromPage)};
    for (const [column, run] of [['linux', runShownCommand], ['wine', runShownCommandUnderWine]]) {
      const made = run(command);
      assert.equal(made.status, 0, `${column}: ${command}\n${made.stderr}`);
      row[column] = hash(fs.readFileSync(path.join(made.folder, 'splash.exe')));
      fs.rmSync(made.folder, {recursive: true, force: true});
    }
    table.push(row);
  }
  await setFields(plain);
  if (chosen['sound-file'])
    await waitForWork(() => page.click('#sound-clear')), delete chosen['sound-file'];
  const differing = table.filter((row) => row.wine !== row.linux || row.page !== row.linux);
  const lines = [`splash hashes: splashpack on Linux | ${windowsToolKind()} | the page`,
                 ...table.map((row) => `${row.linux} | ${row.wine} | ${row.page} | ` +
                                       `${differing.includes(row) ? 'DIFFER' : 'same'} | ${row.name}`)];
  console.log(lines.join('\n'));
  assert.deepEqual(differing.map((row) => row.name), [], 'the front-ends differ');
});

test('each code page stores the target and the message as the command line does', async () => {
  // A word of each code page's script, as the command line's own code page table has them.
  const words = {
    1252: 'Désolé €', 1250: 'Łódź', 1251: 'При €', 1253: 'Ωμέ', 1254: 'Ağış', 1255: 'שלום',
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
  await setFields({'code-page': '1252', 'message': '', 'target': '', 'preview-of': 'built'});
});

test('the preview is the one splashpack preview draws, on the canvas too', async () => {
  await choose('picture-file', 'photo.png');
  const screens = [
    // The requirements box, drawn with the page's font.
    {fields: {'min-resolution': '1024x768', 'message': 'Trop petit: ÀÉÎÕÜ çñ ß €'},
     screen: {'preview-screen': '800x600', 'preview-depth': '32',
              'preview-sixteen-bit-layout': '', 'preview-windows': '98'}},
    {fields: {'min-resolution': ''},
     screen: {'preview-screen': '640x480', 'preview-depth': '16',
              'preview-sixteen-bit-layout': '555', 'preview-windows': 'xp'}},
    // A 16-colour screen: the VGA colours.
    {fields: {},
     screen: {'preview-screen': '640x480', 'preview-depth': '4',
              'preview-sixteen-bit-layout': '', 'preview-windows': 'xp'}},
  ];
  for (const s of screens) {
    await setFields(s.fields);
    await setFields(s.screen);
    const command = await page.$eval('#command', (element) => element.value);
    const fromPage = await download('#download-preview', 'preview.png');
    const layout = s.screen['preview-sixteen-bit-layout'];
    const cli = runShownCommand(command, ` && splashpack preview splash.exe -o preview.png ` +
        `--screen ${s.screen['preview-screen']} --depth ${s.screen['preview-depth']} ` +
        `--windows ${s.screen['preview-windows']}` + (layout ? ` --sixteen-bit-layout ${layout}` : ''));
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
    assert.ok(same, 'canvas pixels ' + s.screen['preview-screen']);
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

  // A bad picture and a bad sound: the page names both at once, each as the command line does
  // when it meets it.
  fs.writeFileSync(path.join(inputs, 'noise.wav'), 'RIFF, but not a sound');
  await choose('picture-file', 'cut.png');
  await choose('sound-file', 'noise.wav');
  const both = runShownCommand(await page.$eval('#command', (element) => element.value));
  const soundAlone = runShownCommand('splashpack build --picture photo.png --sound noise.wav -o splash.exe');
  assert.deepEqual((await page.$eval('#error', (element) => element.textContent)).split('\n'),
                   [both.stderr.trim(), soundAlone.stderr.trim()]);
  assert.ok(await page.$eval('#sound-file-notes', (element) => element.textContent), 'sound');
  for (const run of [both, soundAlone])
    fs.rmSync(run.folder, {recursive: true, force: true});
  await waitForWork(() => page.click('#sound-clear')), delete chosen['sound-file'];

  // A picture too large for the splash: the page has no field for --max-picture-bytes, so it
  // names the field that helps, beside it.
  execFileSync('convert', ['-size', '4800x4800', 'xc:#336699', path.join(inputs, 'huge.png')]);
  await choose('picture-file', 'huge.png');
  const huge = await page.$eval('#error', (element) => element.textContent);
  assert.ok(huge.includes('(shrink it with "Shrink to fit a screen", --fit)') &&
            !huge.includes('--max-picture-bytes'), huge);
  assert.ok((await page.$eval('#fit-notes', (element) => element.textContent)).includes('--fit'));

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

test('each warning and error stands beside the field of the option it concerns', async () => {
  await choose('picture-file', 'photo.png');
  const cases = [
    {fields: {}, box: 'versions-notes', words: 'meet --versions'},
    {fields: {}, box: 'target-notes', words: 'no --target'},
    {fields: {'display-time': '1000ms', 'launch-delay': '1000ms'}, box: 'display-time-notes',
     words: 'the player raises it to 1050 ms'},
    {fields: {'min-colour-depth': '8'}, box: 'colours-notes', words: '--colours system stores'},
    {fields: {'background': 'red'}, box: 'background-notes',
     words: '--background: "red" is not a colour'},
    {fields: {'output': 'photo.png'}, box: 'output-notes', words: 'is an input of this build'},
  ];
  for (const c of cases) {
    await setFields(c.fields);
    const text = await page.$eval('#' + c.box, (element) => element.textContent);
    assert.ok(text.includes(c.words), `${c.box}: ${text}`);
    await setFields(Object.fromEntries(Object.keys(c.fields).map((id) => [id, ''])));
  }
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

test('only the latest settings are built, and a dropped picture shows in its chooser', async () => {
  // Three changes of the picture's fit while the first converts it: the first build's answer is
  // dropped, the last one's shown, and no build waits in a queue for the one between.
  await choose('picture-file', 'noise.png');
  await setFields({'colours': '256'});
  const before = await page.evaluate(() => ({...splashPage.timings}));
  const shownBusy = await page.evaluate(async () => {
    let busy = false;
    for (const fit of ['640x480', '641x480', '642x480']) {
      const field = document.getElementById('fit');
      field.value = fit;
      field.dispatchEvent(new Event('input', {bubbles: true}));
      busy = busy || !document.getElementById('busy').hidden;
      await new Promise((resolve) => setTimeout(resolve, 0));
    }
    await splashPage.busy;
    return busy && document.getElementById('busy').hidden;
  });
  const after = await page.evaluate(() => ({...splashPage.timings}));
  assert.ok(shownBusy, 'the busy state shows while the page builds, and goes');
  assert.ok(after.builds + after.dropped - before.builds - before.dropped <= 2);
  assert.ok((await page.$eval('#notes', (element) => element.textContent)).includes('642 x 480'));
  await setFields({'colours': '', 'fit': ''});

  // Dropped on the page, a picture is the picture chooser's file.
  await waitForWork(() => page.evaluate((base64) => {
    const transfer = new DataTransfer();
    const bytes = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
    transfer.items.add(new File([bytes], 'dropped.png', {type: 'image/png'}));
    document.body.dispatchEvent(new DragEvent('drop', {dataTransfer: transfer, bubbles: true}));
  }, fs.readFileSync(path.join(inputs, 'photo.png')).toString('base64')));
  delete chosen['picture-file'];
  assert.equal(await page.$eval('#picture-file', (input) => input.files[0]?.name), 'dropped.png');
  assert.ok((await page.$eval('#command', (element) => element.value))
                .includes('--picture dropped.png'));
});

test('at 400 pixels the page is one column, as wide as the window', async () => {
  await page.setViewport({width: 400, height: 900});
  await page.evaluate(() => window.scrollTo(0, 0));
  const fits = await page.evaluate(() => ({
    document: document.documentElement.scrollWidth,
    window: innerWidth,
    preview: document.getElementById('preview').getBoundingClientRect().width,
  }));
  assert.ok(fits.document <= fits.window, JSON.stringify(fits));
  // The preview fills the window but for the page's margins.
  assert.ok(fits.preview >= fits.window - 40, JSON.stringify(fits));
  // The README's narrow picture of the page: the splash, its preview and its command.
  await page.evaluate(() => document.getElementById('result').scrollIntoView());
  await page.screenshot({path: path.join(pageFolder, '..', 'page-screenshot-narrow.png')});
  await page.setViewport({width: 1024, height: 768});
});

test('the batch-file command writes under Wine what the page writes', async () => {
  ensureRig();
  // A name with every character cmd.exe reads for itself, and a message with a quote.
  const name = "Tom's big & 100% ^up!.png";
  fs.copyFileSync(path.join(inputs, 'photo.png'), path.join(inputs, name));
  await choose('picture-file', name);
  await setFields({'message': 'Say "hi" & 50%!', 'min-resolution': '4000x3000',
                   'command-shell': 'batch'});
  const command = await page.$eval('#command', (element) => element.value);
  assert.ok(!(await page.$eval('#command-note', (note) => note.hidden)), 'the batch form is named');
  const fromPage = await download('#download-splash', 'splash.exe');
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'splash-page-bat-'));
  for (const input of fs.readdirSync(inputs))
    fs.copyFileSync(path.join(inputs, input), path.join(folder, input));
  fs.copyFileSync(windowsTool, path.join(folder, 'splashpack.exe'));
  fs.writeFileSync(path.join(folder, 'make.bat'), command.replace(/\r?\n/g, '\r\n') + '\r\n');
  const made = spawnSync(wineRun, ['cmd', '/c', 'make.bat'], {cwd: folder, encoding: 'utf8'});
  assert.equal(made.status, 0, `${command}\n${made.stdout}\n${made.stderr}`);
  assert.ok(fromPage.equals(fs.readFileSync(path.join(folder, 'splash.exe'))), command);
  fs.rmSync(folder, {recursive: true, force: true});
  // The POSIX form of the same settings writes the same.
  await page.select('#command-shell', 'posix');
  const posix = runShownCommand(await page.$eval('#command', (element) => element.value));
  assert.equal(posix.status, 0, posix.stderr);
  assert.ok(fromPage.equals(fs.readFileSync(path.join(posix.folder, 'splash.exe'))));
  fs.rmSync(posix.folder, {recursive: true, force: true});
  await setFields({'message': '', 'min-resolution': ''});
});

// The files the service worker keeps, from its own list.
function keptFiles() {
  const worker = fs.readFileSync(path.join(pageFolder, 'service-worker.js'), 'utf8');
  return JSON.parse(/const files = (\[.*\]);/.exec(worker)[1]).map((file) =>
    file === './' ? '/' : '/' + file);
}

test('after loading, the page asks the network for nothing but its own files', async () => {
  const network = browser.requests.filter((url) => !/^(blob|data):/.test(url));
  assert.deepEqual(network, []);
  // The service worker's own fetches of the page's files, to keep them.
  await page.evaluate(() => navigator.serviceWorker.ready);
  const kept = keptFiles();
  const served = browser.servedAfterLoad();
  assert.deepEqual(served.filter((name) => name !== '/service-worker.js' && !kept.includes(name)),
                   []);
});

test('a newer version is taken when served; once visited, the page builds offline', async () => {
  await page.evaluate(() => navigator.serviceWorker.ready);
  // Another service worker: the page takes it and says so.
  const worker = fs.readFileSync(path.join(pageFolder, 'service-worker.js'), 'utf8');
  browser.serveInstead('/service-worker.js',
                       worker.replace(/const version = '([^']*)'/, "const version = '$1-newer'"));
  await page.reload({waitUntil: 'load'});
  await page.evaluate(() => splashPage.ready);
  await page.waitForFunction(() => !document.getElementById('update').hidden, {timeout: 20000});
  // The older version's files are no longer kept, once the newer has taken over.
  await page.waitForFunction(async () => (await caches.keys()).every((name) =>
    name.endsWith('-newer')), {timeout: 20000});

  await browser.stopServing();
  await page.reload({waitUntil: 'load'});
  await page.evaluate(() => splashPage.ready);
  assert.ok(await page.evaluate(() => !!navigator.serviceWorker.controller));
  for (const id of Object.keys(chosen))
    delete chosen[id];
  await choose('picture-file', 'photo.png');
  await setFields({'target': 'setup.exe'});
  const command = await page.$eval('#command', (element) => element.value);
  const fromPage = await download('#download-splash', 'splash.exe');
  const cli = runShownCommand(command);
  assert.equal(cli.status, 0, cli.stderr);
  assert.ok(fromPage.equals(fs.readFileSync(path.join(cli.folder, 'splash.exe'))), command);
  fs.rmSync(cli.folder, {recursive: true, force: true});
});
