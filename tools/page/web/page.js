// splashpack in the browser: the wiring. The form's fields become the arguments of a splashpack
// command line, which the module (in a worker) reads with the command line's own parser and
// builds with the same core: the page and the command line can never disagree, and the command
// shown is the one that ran.
import {Builds} from './builds.js';
import * as form from './form.js';
import * as results from './results.js';

const byId = (id) => document.getElementById(id);

// The module's slots for the author's files (page_front_end.h).
const slots = {picture: 0, sound: 1, splash: 2};

const state = {
  files: {picture: null, sound: null}, // the names of the files given, by option
  opened: null,                        // {name, ok} of the splash opened to inspect
  built: false,                        // whether the last build made a splash
  inputErrors: {},                     // by slot: the module could not take the file
};

// What the tests and the bench read: the module's times in the worker, and how many answers
// for the latest settings have been shown.
const page = {
  timings: {build: 0, preview: 0, shown: 0, builds: 0, previews: 0, runs: 0, dropped: 0},
  settled: false,
  get busy() {
    return builds ? builds.done : Promise.resolve();
  },
};
let builds = null;

// ---- the command line ----

function showCommand() {
  const args = form.buildArguments(state.files);
  const batch = byId('command-shell').value === 'batch';
  byId('command').value = batch ? form.batchCommand(args) : form.posixCommand(args);
  byId('command-note').hidden = !batch;
  return args;
}

// ---- the work, made from the form as it stands when it is sent ----

function previewWanted(which, building) {
  if (which === 'opened')
    return state.opened && state.opened.ok !== false;
  return building || state.built;
}

function compose(needs) {
  const work = {};
  if (needs.inspect && state.opened)
    work.inspect = form.inspectArguments(state.opened.name);
  if (needs.build) {
    const args = showCommand();
    if (state.files.picture) {
      work.build = args;
    } else {
      state.built = false;
      results.clearNotes();
      results.showBuild(null);
      results.addLine(byId('picture-file-notes'), 'Choose a picture to make a splash.', 'hint');
    }
  }
  const which = byId('preview-of').value;
  if (previewWanted(which, !!work.build)) {
    const file = which === 'opened' ? state.opened.name : form.outputName();
    const codePage = which === 'opened' ? byId('open-code-page').value : byId('code-page').value;
    work.preview = {which, args: form.screenArguments(file, codePage)};
  } else if (needs.build || needs.preview) {
    results.clearPreview();
  }
  return work;
}

function showInputErrors() {
  for (const text of Object.values(state.inputErrors))
    if (text)
      results.showError(text);
}

function show(message) {
  Object.assign(state.inputErrors, message.inputErrors);
  if (message.stale) {
    page.timings.dropped++;
    return;
  }
  if (message.failure)
    results.showError('the page could not build: ' + message.failure);
  if (message.inspect) {
    state.opened.ok = message.inspect.ok;
    results.showInspection(message.inspect, state.opened.name);
    const showsOpened = byId('preview-of').value === 'opened';
    if (message.inspect.ok && !showsOpened) {
      byId('preview-of').value = 'opened';
      builds.want({preview: true});
    } else if (!message.inspect.ok && showsOpened) {
      results.clearPreview();
    }
  }
  if (message.build) {
    results.clearNotes();
    state.built = message.build.ok;
    results.showBuild(message.build);
    page.timings.build = message.ms.build;
    page.timings.builds++;
    if (!message.build.ok && byId('preview-of').value === 'built')
      results.clearPreview();
  }
  showInputErrors();
  if (message.preview) {
    results.showPreview(message.preview);
    page.timings.preview = message.ms.preview;
    page.timings.previews++;
  }
  page.timings.shown = performance.now() - message.asked;
  page.timings.runs++;
}

function busy(on) {
  page.settled = !on;
  byId('busy').hidden = !on;
  byId('result').setAttribute('aria-busy', on ? 'true' : 'false');
  document.body.dataset.state = on ? 'busy' : state.built ? 'built' : 'idle';
}

// ---- files ----

async function readFile(file) {
  return {name: file.name, bytes: new Uint8Array(await file.arrayBuffer())};
}

function takeFile(option, file) {
  return builds.after(async () => {
    // The command names the file once the module is to have its bytes, not while they are read.
    const read = file ? await readFile(file) : null;
    state.files[option] = read ? read.name : null;
    if (read)
      builds.give(slots[option], read.name, read.bytes);
    delete state.inputErrors[slots[option]];
    builds.want({build: true});
  });
}

function openSplash(file) {
  return builds.after(async () => {
    const {name, bytes} = await readFile(file);
    state.opened = {name};
    builds.give(slots.splash, name, bytes);
    builds.want({inspect: true});
  });
}

// A file dropped on the page goes where its kind belongs, and its chooser shows it.
function dropFile(file) {
  const name = file.name.toLowerCase();
  const [id, take] = name.endsWith('.wav') ? ['sound-file', (f) => takeFile('sound', f)] :
                     name.endsWith('.exe') ? ['splash-file', openSplash] :
                                             ['picture-file', (f) => takeFile('picture', f)];
  const transfer = new DataTransfer();
  transfer.items.add(file);
  byId(id).files = transfer.files;
  take(file);
}

// ---- start ----

function listen() {
  byId('picture-file').addEventListener('change', (event) => {
    if (event.target.files[0])
      takeFile('picture', event.target.files[0]);
  });
  byId('sound-file').addEventListener('change', (event) =>
    takeFile('sound', event.target.files[0] || null));
  byId('sound-clear').addEventListener('click', () => {
    byId('sound-file').value = '';
    takeFile('sound', null);
  });
  byId('splash-file').addEventListener('change', (event) => {
    if (event.target.files[0])
      openSplash(event.target.files[0]);
  });
  byId('open-code-page').addEventListener('change', () => builds.want({inspect: true}));
  for (const element of document.querySelectorAll('#settings input, #settings select'))
    if (element.type !== 'file')
      element.addEventListener('input', () => builds.want({build: true}));
  for (const element of document.querySelectorAll('#screen input, #screen select'))
    element.addEventListener('input', () => builds.want({preview: true}));
  byId('command-shell').addEventListener('input', showCommand);
  byId('copy-command').addEventListener('click', () => {
    byId('command').select();
    navigator.clipboard.writeText(byId('command').value).catch(() => {});
  });
  byId('download-preview').addEventListener('click', async () => {
    const answer = await builds.previewPng();
    if (answer.ok)
      results.saveBytes(answer.png, 'preview.png', 'image/png');
  });
  document.addEventListener('dragover', (event) => event.preventDefault());
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    for (const file of event.dataTransfer.files)
      dropFile(file);
  });
}

// The page's files, kept by a service worker for use without the network; a newer version
// served replaces them, and the page says so.
function keepForOffline() {
  if (!('serviceWorker' in navigator))
    return;
  const hadOne = !!navigator.serviceWorker.controller;
  navigator.serviceWorker.addEventListener('controllerchange', () => {
    if (hadOne)
      byId('update').hidden = false;
  });
  navigator.serviceWorker.register('service-worker.js').catch(() => {});
}

async function start() {
  await form.makeForm();
  byId('command-shell').value = form.ownShell();
  builds = new Builds({compose, show, busy});
  const version = await builds.start();
  byId('version').textContent = 'splashpack ' + version.version + ', player: ' +
                                version.playerBytes + ' bytes, FNV-1a 64 ' + version.playerHash;
  listen();
  builds.want({build: true});
  await builds.done;
  keepForOffline();
}

window.splashPage = page;
page.ready = start().catch((error) => {
  byId('version').textContent = 'The page could not start: ' + error;
});
