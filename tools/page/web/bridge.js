// The bridge to splashpack's module: the only code that touches its memory. It hands the module
// command lines and files, and gives back its answers with copies of the bytes they point to, so
// that nothing outside holds an address that the module's next call may reuse.
import createSplashpack from './splashpack.js';

let module = null;

// The module's slots for the files the author gives the page (page_front_end.h).
export const slots = {picture: 0, sound: 1, splash: 2};
// Which splash a preview draws (page_front_end.h).
export const splashes = {built: 0, opened: 1};

export async function openModule() {
  module = await createSplashpack();
}

function withString(text, use) {
  const bytes = new TextEncoder().encode(text);
  const address = module._malloc(bytes.length + 1);
  module.HEAPU8.set(bytes, address);
  module.HEAPU8[address + bytes.length] = 0;
  try {
    return use(address);
  } finally {
    module._free(address);
  }
}

function answerOf(address) {
  return JSON.parse(module.UTF8ToString(address));
}

function run(name, argumentsList, ...before) {
  return withString(JSON.stringify(argumentsList),
                    (address) => answerOf(module[name](...before, address)));
}

// A copy of bytes the module holds; null for none.
function bytesOf(output) {
  return output ? module.HEAPU8.slice(output.address, output.address + output.size) : null;
}

// Replaces the answer's addresses by copies of the bytes.
function withBytes(answer, ...names) {
  for (const name of names)
    if (answer[name])
      answer[name] = bytesOf(answer[name]);
  return answer;
}

export function version() {
  return answerOf(module._page_version());
}

// Hands the module a copy of the file; an error text when its memory cannot hold one.
export function giveInput(slot, name, bytes) {
  const address = module._malloc(Math.max(bytes.length, 1));
  if (!address)
    return 'out of memory: ' + name + ' does not fit in the memory the page may use';
  module.HEAPU8.set(bytes, address);
  withString(name, (named) => module._page_set_input(slot, named, address, bytes.length));
  module._free(address);
  return null;
}

export function build(args) {
  return withBytes(run('_page_build', args), 'splash', 'autorun');
}

export function inspect(args) {
  return withBytes(run('_page_inspect', args), 'picture', 'sound');
}

// The preview's pixels, four bytes a pixel as a canvas takes them.
export function preview(which, args) {
  return withBytes(run('_page_preview', args, which), 'pixels');
}

export function previewPng() {
  return withBytes(answerOf(module._page_preview_png()), 'png');
}
