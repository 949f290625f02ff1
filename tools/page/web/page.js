// splashpack in the browser. The form's fields become the arguments of a splashpack command line,
// which the module reads with the command line's own parser and builds with the same core: the
// page and the command line can never disagree, and the command shown is the one that ran.
'use strict';

const byId = (id) => document.getElementById(id);

// The fields that become options, in the order the command shows them; an empty field leaves
// its option out, so the command line's default holds.
const textOptions = [
  ['target', '--target'], ['display-time', '--display-time'], ['launch-delay', '--launch-delay'],
  ['min-resolution', '--min-resolution'], ['min-colour-depth', '--min-colour-depth'],
  ['message', '--message'], ['code-page', '--code-page'], ['fit', '--fit'],
  ['background', '--background'], ['colours', '--colours'], ['sound-rate', '--sound-rate'],
  ['sound-bits', '--sound-bits'],
];
const flagOptions = [['no-dither', '--no-dither'], ['mono', '--mono'], ['autorun', '--autorun']];

// Where a message belongs: the first field whose words it holds; the rest go to the list.
const messagePlaces = [
  [/--versions|Windows .* meets?\b/, 'versions'],
  [/--target\b|^the target "/, 'target'],
  [/display time|launch delay|--display-time|--launch-delay/, 'display-time'],
  [/--min-resolution|--min-colour-depth|colour depth/, 'min-resolution'],
  [/autorun|--autorun/, 'autorun'],
  [/--message|the message\b|code page|--code-page/, 'message'],
  [/--fit|--background|--colours|--max-picture|the picture|picture\b/, 'picture-file'],
  [/sound|--sound/, 'sound-file'],
  [/--output|the output|\.exe\b/, 'output'],
];

const page = {
  module: null,
  picture: null,        // {name, bytes}
  sound: null,
  opened: null,
  splash: null,         // the bytes of the last good build
  autorun: null,
  built: false,
  timings: {build: 0, preview: 0, builds: 0, previews: 0, runs: 0},
  busy: Promise.resolve(),
};

// ---- the module ----

function withString(text, use) {
  const bytes = new TextEncoder().encode(text);
  const address = page.module._malloc(bytes.length + 1);
  page.module.HEAPU8.set(bytes, address);
  page.module.HEAPU8[address + bytes.length] = 0;
  try {
    return use(address);
  } finally {
    page.module._free(address);
  }
}

function answerOf(address) {
  return JSON.parse(page.module.UTF8ToString(address));
}

function run(name, argumentsList, ...before) {
  return withString(JSON.stringify(argumentsList),
                    (address) => answerOf(page.module[name](...before, address)));
}

// A copy of bytes the module holds, which stays when the module's memory grows or is reused.
function bytesOf(output) {
  return page.module.HEAPU8.slice(output.address, output.address + output.size);
}

// Hands the module a copy of the file; false when its memory cannot hold one.
function giveInput(slot, file) {
  const address = page.module._malloc(Math.max(file.bytes.length, 1));
  if (!address) {
    page.inputError = 'out of memory: ' + file.name + ' does not fit in the memory the page may use';
    return false;
  }
  page.inputError = null;
  page.module.HEAPU8.set(file.bytes, address);
  withString(file.name, (name) => page.module._page_set_input(slot, name, address,
                                                               file.bytes.length));
  page.module._free(address);
  return true;
}

// ---- the command line ----

function outputName() {
  return byId('output').value.trim() || 'splash.exe';
}

function versionsValue() {
  const boxes = [...document.querySelectorAll('input[name=versions]')];
  const chosen = boxes.filter((box) => box.checked).map((box) => box.value);
  return chosen.length === boxes.length ? null : chosen.join(',');
}

function buildArguments() {
  const args = ['build', '--picture', page.picture ? page.picture.name : '', '--output',
                outputName()];
  if (page.sound)
    args.push('--sound', page.sound.name);
  for (const [id, option] of textOptions) {
    const value = byId(id).value;
    if (value !== '')
      args.push(option, value);
    if (id === 'launch-delay') {
      const versions = versionsValue();
      if (versions !== null)
        args.push('--versions', versions);
    }
  }
  for (const [id, option] of flagOptions)
    if (byId(id).checked)
      args.push(option);
  if (byId('autorun').checked && byId('autorun-label').value !== '')
    args.push('--autorun-label', byId('autorun-label').value);
  return args;
}

function screenArguments(file, codePage) {
  const depth = byId('screen-depth').value;
  const args = ['preview', file, '--output', 'preview.png', '--screen', byId('screen-size').value,
                '--depth', depth.split('-')[0], '--windows', byId('screen-windows').value];
  if (depth === '16-555')
    args.push('--sixteen-bit-layout', '555');
  if (codePage)
    args.push('--code-page', codePage);
  return args;
}

// The arguments as a POSIX shell reads them.
function shellQuoted(args) {
  return ['splashpack', ...args].map((arg) => {
    if (/^[A-Za-z0-9_.,:\/=+@%-]+$/.test(arg))
      return arg;
    return "'" + arg.replace(/'/g, "'\\''") + "'";
  }).join(' ');
}

// ---- showing results ----

function clearNotes() {
  for (const box of document.querySelectorAll('#settings .notes'))
    box.textContent = '';
  byId('warnings').textContent = '';
  byId('notes').textContent = '';
}

function placeOf(message) {
  for (const [pattern, id] of messagePlaces)
    if (pattern.test(message))
      return byId(id + '-notes');
  return null;
}

function addLine(list, text, className) {
  const item = document.createElement(list.tagName === 'UL' || list.tagName === 'OL' ? 'li' :
                                      'p');
  item.textContent = text;
  if (className)
    item.className = className;
  list.appendChild(item);
}

function showWarning(text) {
  addLine(placeOf(text) || byId('warnings'), 'warning: ' + text, 'warning');
}

function showError(text, hint) {
  const box = byId('error');
  box.textContent = 'splashpack: ' + text + (hint ? ' ' + hint : '');
  box.hidden = false;
  const place = placeOf(text);
  if (place)
    addLine(place, text, 'error');
}

function hideError() {
  byId('error').hidden = true;
  byId('error').textContent = '';
}

// A download link over bytes, or no link at all: a failed build leaves nothing to download.
function offerDownload(link, bytes, name, type) {
  if (link.href)
    URL.revokeObjectURL(link.href);
  if (!bytes) {
    link.removeAttribute('href');
    link.setAttribute('aria-disabled', 'true');
    return;
  }
  link.href = URL.createObjectURL(new Blob([bytes], {type}));
  link.download = name;
  link.setAttribute('aria-disabled', 'false');
}

// ---- building and previewing ----

function rebuild() {
  const args = buildArguments();
  byId('command').value = shellQuoted(args);
  clearNotes();
  hideError();
  if (page.inputError)
    showError(page.inputError);
  page.splash = null;
  page.autorun = null;
  page.built = false;
  byId('start-times').textContent = '';
  if (!page.picture) {
    offerDownload(byId('download-splash'), null);
    byId('download-autorun').hidden = true;
    addLine(byId('picture-file-notes'), 'Choose a picture to make a splash.', 'hint');
    return;
  }
  const started = performance.now();
  const answer = run('_page_build', args);
  if (answer.ok) {
    page.splash = bytesOf(answer.splash);
    page.autorun = answer.autorun ? bytesOf(answer.autorun) : null;
  }
  page.timings.build = performance.now() - started;
  page.timings.builds++;
  if (!answer.ok) {
    showError(answer.error, answer.hint);
    offerDownload(byId('download-splash'), null);
    offerDownload(byId('download-autorun'), null);
    byId('download-autorun').hidden = true;
    return;
  }
  page.built = true;
  for (const note of answer.notes)
    addLine(byId('notes'), 'note: ' + note);
  for (const warning of answer.warnings)
    showWarning(warning);
  if (answer.targetReminder)
    addLine(byId('target-notes'), answer.targetReminder, 'hint');
  byId('start-times').textContent = '';
  for (const line of [...answer.written, answer.startTimes])
    addLine(byId('start-times'), line);
  offerDownload(byId('download-splash'), page.splash, outputName(), 'application/octet-stream');
  byId('download-splash').textContent = 'Download ' + outputName();
  byId('download-autorun').hidden = !page.autorun;
  offerDownload(byId('download-autorun'), page.autorun, 'autorun.inf', 'text/plain');
}

function redraw() {
  const which = byId('preview-of').value === 'opened' ? 1 : 0;
  const timeline = byId('timeline');
  const notes = byId('preview-notes');
  timeline.textContent = '';
  notes.textContent = '';
  const ready = which === 1 ? page.opened && page.opened.ok : page.built;
  if (!ready) {
    const canvas = byId('preview');
    canvas.getContext('2d').clearRect(0, 0, canvas.width, canvas.height);
    return;
  }
  const file = which === 1 ? page.opened.name : outputName();
  const codePage = which === 1 ? byId('open-code-page').value : byId('code-page').value;
  const started = performance.now();
  const answer = run('_page_preview', screenArguments(file, codePage), which);
  if (!answer.ok) {
    addLine(notes, 'splashpack: ' + answer.error, 'error');
    return;
  }
  const canvas = byId('preview');
  canvas.width = answer.width;
  canvas.height = answer.height;
  const pixels = new ImageData(new Uint8ClampedArray(page.module.HEAPU8.buffer,
                                                     answer.pixels.address, answer.pixels.size),
                               answer.width, answer.height);
  canvas.getContext('2d').putImageData(pixels, 0, 0);
  page.timings.preview = performance.now() - started;
  page.timings.previews++;
  for (const line of answer.timeline)
    addLine(timeline, line);
  for (const warning of answer.warnings)
    addLine(notes, 'warning: ' + warning, 'warning');
}

// Changes come in bursts (typing): the work runs once the burst has passed.
let pending = null;
function schedule(what) {
  if (pending)
    pending.what = pending.what === 'build' || what === 'build' ? 'build' : 'preview';
  else
    pending = {what};
  clearTimeout(pending.timer);
  pending.timer = setTimeout(() => {
    const job = pending;
    pending = null;
    if (job.what === 'build')
      rebuild();
    redraw();
    page.timings.runs++;
    page.settled = true;
    document.body.dataset.state = page.built ? 'built' : 'idle';
  }, 120);
  page.settled = false;
}

// ---- files ----

async function readFile(file) {
  return {name: file.name, bytes: new Uint8Array(await file.arrayBuffer())};
}

async function takePicture(file) {
  const picture = await readFile(file);
  page.picture = giveInput(0, picture) ? picture : null;
  schedule('build');
}

async function takeSound(file) {
  const sound = file ? await readFile(file) : null;
  page.sound = sound && giveInput(1, sound) ? sound : null;
  schedule('build');
}

async function openSplash(file) {
  const opened = await readFile(file);
  page.opened = giveInput(2, opened) ? opened : null;
  if (!page.opened) {
    byId('splash-file-notes').textContent = '';
    addLine(byId('splash-file-notes'), 'splashpack: ' + page.inputError, 'error');
    page.inputError = null;
    return;
  }
  inspectOpened();
}

function inspectOpened() {
  if (!page.opened)
    return;
  const args = ['inspect', page.opened.name];
  if (byId('open-code-page').value)
    args.push('--code-page', byId('open-code-page').value);
  const answer = run('_page_inspect', args);
  const notes = byId('splash-file-notes');
  const warnings = byId('inspect-warnings');
  notes.textContent = '';
  warnings.textContent = '';
  byId('inspect-text').textContent = '';
  page.opened.ok = answer.ok;
  const picture = byId('opened-picture');
  const sound = byId('opened-sound');
  const stem = page.opened.name.replace(/\.[^.]*$/, '');
  const parts = [[picture, byId('extract-picture'), answer.picture, stem + '.bmp', 'image/bmp'],
                 [sound, byId('extract-sound'), answer.sound, stem + '.wav', 'audio/wav']];
  for (const [shown, link, output, name, type] of parts) {
    offerDownload(link, answer.ok && output ? bytesOf(output) : null, name, type);
    link.hidden = !link.href;
    shown.hidden = !link.href;
    if (link.href)
      shown.src = link.href;
  }
  if (!answer.ok) {
    addLine(notes, 'splashpack: ' + answer.error, 'error');
  } else {
    byId('inspect-text').textContent = answer.text;
    for (const warning of answer.warnings)
      addLine(warnings, 'warning: ' + warning, 'warning');
    byId('preview-of').value = 'opened';
  }
  schedule('preview');
}

function kindOf(file) {
  const name = file.name.toLowerCase();
  if (name.endsWith('.wav'))
    return 'sound';
  if (name.endsWith('.exe'))
    return 'splash';
  return 'picture';
}

// ---- start ----

function listen() {
  byId('picture-file').addEventListener('change', (event) => {
    if (event.target.files[0])
      takePicture(event.target.files[0]);
  });
  byId('sound-file').addEventListener('change', (event) => takeSound(event.target.files[0]));
  byId('sound-clear').addEventListener('click', () => {
    byId('sound-file').value = '';
    takeSound(null);
  });
  byId('splash-file').addEventListener('change', (event) => {
    if (event.target.files[0])
      openSplash(event.target.files[0]);
  });
  byId('open-code-page').addEventListener('change', inspectOpened);
  for (const element of document.querySelectorAll('#settings input, #settings select, ' +
                                                  '#settings textarea'))
    if (element.type !== 'file')
      element.addEventListener('input', () => schedule('build'));
  for (const element of document.querySelectorAll('#screen select'))
    element.addEventListener('input', () => schedule('preview'));
  byId('copy-command').addEventListener('click', () => {
    byId('command').select();
    navigator.clipboard.writeText(byId('command').value).catch(() => {});
  });
  byId('download-preview').addEventListener('click', () => {
    const answer = answerOf(page.module._page_preview_png());
    if (!answer.ok)
      return;
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([bytesOf(answer.png)], {type: 'image/png'}));
    link.download = 'preview.png';
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 10000);
  });
  document.addEventListener('dragover', (event) => event.preventDefault());
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    for (const file of event.dataTransfer.files) {
      const kind = kindOf(file);
      if (kind === 'sound')
        takeSound(file);
      else if (kind === 'splash')
        openSplash(file);
      else
        takePicture(file);
    }
  });
}

async function start() {
  // An opened splash is read in the code page it records unless the author names another.
  const openCodePage = byId('open-code-page');
  openCodePage.innerHTML = byId('code-page').innerHTML;
  openCodePage.options[0].textContent = 'The one it records (1252 if none)';
  const western = document.createElement('option');
  western.value = '1252';
  western.textContent = '1252 Western European';
  openCodePage.insertBefore(western, openCodePage.options[1]);
  page.module = await createSplashpack();
  const version = answerOf(page.module._page_version());
  byId('version').textContent = 'splashpack ' + version.version + ', player: ' +
                                version.playerBytes + ' bytes, FNV-1a 64 ' + version.playerHash;
  listen();
  rebuild();
  document.body.dataset.state = 'idle';
  page.settled = true;
}

window.splashPage = page;
page.ready = start().catch((error) => {
  byId('version').textContent = 'The page could not start: ' + error;
});
