// What the module answers, shown: errors and warnings beside the fields of the options they
// concern, the preview on the canvas, the opened splash, and the files to download.
import {controlId, outputName} from './form.js';

const byId = (id) => document.getElementById(id);

export function clearNotes() {
  for (const box of document.querySelectorAll('#settings .notes'))
    box.textContent = '';
  byId('warnings').textContent = '';
  byId('notes').textContent = '';
  byId('error').hidden = true;
  byId('error').textContent = '';
}

// The box beside the option's field; null for a message that concerns no option the form shows.
function placeOf(option) {
  return option ? byId(controlId('build', option) + '-notes') : null;
}

export function addLine(list, text, className) {
  const item = document.createElement(list.tagName === 'UL' || list.tagName === 'OL' ? 'li' :
                                      'p');
  item.textContent = text;
  if (className)
    item.className = className;
  list.appendChild(item);
}

// An error in the command line's words, one line each, at the top and beside its field.
export function showError(text, hint, option) {
  const box = byId('error');
  box.textContent += (box.textContent ? '\n' : '') + 'splashpack: ' + text + (hint ? ' ' + hint : '');
  box.hidden = false;
  const place = placeOf(option);
  if (place)
    addLine(place, text, 'error');
}

// A download link over bytes, or no link at all: a failed build leaves nothing to download.
export function offerDownload(link, bytes, name, type) {
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

// A build's answer: its errors, or its notes, warnings and downloads.
export function showBuild(answer) {
  const splash = byId('download-splash');
  const autorun = byId('download-autorun');
  byId('start-times').textContent = '';
  if (!answer || !answer.ok) {
    if (answer) {
      showError(answer.error, answer.hint, answer.option);
      for (const also of answer.also || [])
        showError(also.error, also.hint, also.option);
    }
    offerDownload(splash, null);
    offerDownload(autorun, null);
    autorun.hidden = true;
    return;
  }
  for (const note of answer.notes)
    addLine(byId('notes'), 'note: ' + note);
  for (const warning of answer.warnings)
    addLine(placeOf(warning.option) || byId('warnings'), 'warning: ' + warning.text, 'warning');
  if (answer.targetReminder)
    addLine(byId('target-notes'), answer.targetReminder, 'hint');
  for (const line of [...answer.written, answer.startTimes])
    addLine(byId('start-times'), line);
  offerDownload(splash, answer.splash, outputName(), 'application/octet-stream');
  splash.textContent = 'Download ' + outputName();
  autorun.hidden = !answer.autorun;
  offerDownload(autorun, answer.autorun, 'autorun.inf', 'text/plain');
}

export function clearPreview() {
  const canvas = byId('preview');
  canvas.getContext('2d').clearRect(0, 0, canvas.width, canvas.height);
  byId('timeline').textContent = '';
  byId('preview-notes').textContent = '';
}

export function showPreview(answer) {
  clearPreview();
  if (!answer)
    return;
  if (!answer.ok) {
    addLine(byId('preview-notes'), 'splashpack: ' + answer.error, 'error');
    return;
  }
  const canvas = byId('preview');
  canvas.width = answer.width;
  canvas.height = answer.height;
  const pixels = new ImageData(new Uint8ClampedArray(answer.pixels.buffer, answer.pixels.byteOffset,
                                                     answer.pixels.length),
                               answer.width, answer.height);
  canvas.getContext('2d').putImageData(pixels, 0, 0);
  for (const line of answer.timeline)
    addLine(byId('timeline'), line);
  for (const warning of answer.warnings)
    addLine(byId('preview-notes'), 'warning: ' + warning, 'warning');
}

// What `splashpack inspect` says of the opened splash, and its picture and sound to download.
export function showInspection(answer, name) {
  const notes = byId('splash-file-notes');
  const warnings = byId('inspect-warnings');
  notes.textContent = '';
  warnings.textContent = '';
  byId('inspect-text').textContent = '';
  const stem = name.replace(/\.[^.]*$/, '');
  const parts = [[byId('opened-picture'), byId('extract-picture'), answer.picture, stem + '.bmp',
                  'image/bmp'],
                 [byId('opened-sound'), byId('extract-sound'), answer.sound, stem + '.wav',
                  'audio/wav']];
  for (const [shown, link, bytes, file, type] of parts) {
    offerDownload(link, answer.ok ? bytes : null, file, type);
    link.hidden = !link.href;
    shown.hidden = !link.href;
    if (link.href)
      shown.src = link.href;
  }
  if (!answer.ok) {
    addLine(notes, 'splashpack: ' + answer.error, 'error');
    return;
  }
  byId('inspect-text').textContent = answer.text;
  for (const warning of answer.warnings)
    addLine(warnings, 'warning: ' + warning.text, 'warning');
}

export function showInspectionError(text) {
  const notes = byId('splash-file-notes');
  notes.textContent = '';
  addLine(notes, 'splashpack: ' + text, 'error');
}

// Saves bytes as a file, as a download link would.
export function saveBytes(bytes, name, type) {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([bytes], {type}));
  link.download = name;
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 10000);
}
