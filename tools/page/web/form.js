// The form, made from the core's table of options (options.json), and the arguments of the
// splashpack command line its fields stand for, written for a POSIX shell or a Windows batch file.

const byId = (id) => document.getElementById(id);

// The options that name the author's files: their choosers.
export const fileOptions = {
  picture: {accept: '.png,.jpg,.jpeg,.gif,.bmp,image/*'},
  sound: {accept: '.wav,audio/wav', clearable: true},
};

// The options the page offers, command by command, from options.json.
export const form = {build: [], preview: [], inspect: []};

// The id of an option's control; a file's control is its chooser.
export function controlId(command, name) {
  const prefix = command === 'build' ? '' : command + '-';
  return prefix + name + (command === 'build' && fileOptions[name] ? '-file' : '');
}

export function element(tag, properties = {}, children = []) {
  const made = Object.assign(document.createElement(tag), properties);
  for (const child of children)
    made.append(child);
  return made;
}

// "Display time (--display-time)", with the option's whole help on hover.
function labelFor(row, id) {
  return element('label', {htmlFor: id, textContent: `${row.label} (--${row.name})`,
                           title: row.help});
}

// What an empty field leaves: the default, with an example.
function placeholderOf(row) {
  return [row.default, row.example && 'e.g. ' + row.example].filter(Boolean).join(', ');
}

// A list of the row's choices, the default first: the choice it names, or an empty value that
// leaves the option out.
function choiceList(row, id) {
  const list = element('select', {id});
  const standing = row.choices.find((choice) => choice.value === row.default);
  list.append(standing ? element('option', {value: standing.value, textContent: standing.label}) :
                         element('option', {value: '', textContent: row.default}));
  for (const choice of row.choices)
    if (choice !== standing)
      list.append(element('option', {value: choice.value, textContent: choice.label}));
  return list;
}

// The control of one option, with its label and the box for what is said about it.
function optionField(command, row) {
  const id = controlId(command, row.name);
  const notes = element('div', {className: 'notes', id: id + '-notes'});
  notes.setAttribute('aria-live', 'polite');
  if (row.kind === 'flag') {
    const box = element('input', {type: 'checkbox', id});
    return element('div', {className: 'field'},
                   [element('label', {title: row.help}, [box, ` ${row.label} (--${row.name})`]),
                    notes]);
  }
  if (row.kind === 'choices') {
    const boxes = row.choices.map((choice) => element('label', {}, [
      element('input', {type: 'checkbox', name: id, value: choice.value, checked: true}),
      ' ' + choice.label]));
    const legend = element('legend', {textContent: `${row.label} (--${row.name})`,
                                      title: row.help});
    return element('fieldset', {className: 'inline', id}, [legend, ...boxes, notes]);
  }
  let control;
  if (command === 'build' && fileOptions[row.name]) {
    control = [element('input', {type: 'file', id, accept: fileOptions[row.name].accept})];
    if (fileOptions[row.name].clearable)
      control.push(element('button', {type: 'button', id: row.name + '-clear',
                                      textContent: 'No ' + row.name}));
  } else if (row.kind === 'choice') {
    control = [choiceList(row, id)];
  } else {
    const input = element('input', {type: 'text', id, spellcheck: false,
                                    placeholder: placeholderOf(row)});
    // A file the command writes, and the preview's screen, need a value: the example.
    if (row.kind === 'outputFile' || command === 'preview')
      input.value = row.example;
    control = [input];
    if (row.choices.length) {
      input.setAttribute('list', id + '-values');
      control.push(element('datalist', {id: id + '-values'}, row.choices.map(
          (choice) => element('option', {value: choice.value, textContent: choice.label}))));
    }
  }
  return element('div', {className: 'field'}, [labelFor(row, id), ...control, notes]);
}

// The build's options, in fieldsets by their category.
function makeSettings(rows) {
  const settings = byId('settings');
  let fieldset = null;
  for (const row of rows) {
    if (!fieldset || fieldset.dataset.category !== row.category) {
      fieldset = element('fieldset', {}, [element('legend', {textContent: row.category})]);
      fieldset.dataset.category = row.category;
      settings.append(fieldset);
    }
    fieldset.append(optionField('build', row));
  }
}

export async function makeForm() {
  const response = await fetch('options.json');
  if (!response.ok)
    throw new Error('options.json: ' + response.status);
  Object.assign(form, (await response.json()).commands);
  makeSettings(form.build);
  byId('screen').append(...form.preview.map((row) => optionField('preview', row)));
  const codePage = form.inspect.find((row) => row.name === 'code-page');
  byId('open-code-page').replaceWith(choiceList(codePage, 'open-code-page'));
}

// The arguments of an option's control; none for an empty field, which leaves the command
// line's default. `files` holds the names of the files given, by option.
function optionArguments(command, row, files) {
  const id = controlId(command, row.name);
  if (row.kind === 'flag')
    return byId(id).checked ? ['--' + row.name] : [];
  if (row.kind === 'choices') {
    const boxes = [...document.querySelectorAll(`input[name="${id}"]`)];
    const chosen = boxes.filter((box) => box.checked).map((box) => box.value);
    return chosen.length === boxes.length ? [] : ['--' + row.name, chosen.join(',')];
  }
  if (command === 'build' && fileOptions[row.name]) {
    const name = files[row.name];
    return name || row.name === 'picture' ? ['--' + row.name, name || ''] : [];
  }
  // An empty field, or the default chosen, leaves the option out.
  const value = byId(id).value;
  return value === '' || value === row.default ? [] : ['--' + row.name, value];
}

export function outputName() {
  return byId('output').value.trim() || form.build.find((row) => row.name === 'output').example;
}

export function buildArguments(files) {
  const args = ['build'];
  for (const row of form.build)
    args.push(...(row.name === 'output' ? ['--output', outputName()] :
                                          optionArguments('build', row, files)));
  return args;
}

export function screenArguments(file, codePage) {
  const args = ['preview', file, '--output', 'preview.png'];
  for (const row of form.preview)
    args.push(...optionArguments('preview', row, {}));
  if (codePage)
    args.push('--code-page', codePage);
  return args;
}

export function inspectArguments(file) {
  const args = ['inspect', file];
  if (byId('open-code-page').value)
    args.push('--code-page', byId('open-code-page').value);
  return args;
}

// The arguments as a POSIX shell reads them.
export function posixCommand(args) {
  return ['splashpack', ...args].map((arg) => {
    if (/^[A-Za-z0-9_.,:\/=+@%-]+$/.test(arg))
      return arg;
    return "'" + arg.replace(/'/g, "'\\''") + "'";
  }).join(' ');
}

// One argument as Windows programs split their command line: in double quotes, a quote as \",
// and the backslashes before a quote (or the closing one) doubled.
function windowsArgument(arg) {
  if (/^[A-Za-z0-9_.,:\\\/=+@-]+$/.test(arg))
    return arg;
  return '"' + arg.replace(/(\\*)("|$)/g, (all, slashes, quote) =>
                               slashes + slashes + (quote ? '\\"' : '')) + '"';
}

// The arguments as a batch file runs them. cmd.exe reads the line before the program does: it
// turns %...% into variables even inside quotes, so % is doubled; outside its quotes (after a \"
// in an argument) ^ & | < > ( ) are its own, so they take a ^; and with delayed expansion on, it
// would read ! too, so the batch file turns that off first. Inside quotes, ^ and ! then stay
// as they are.
export function batchCommand(args) {
  let quoted = false;
  let line = '';
  for (const character of ['splashpack', ...args].map(windowsArgument).join(' ')) {
    if (character === '"')
      quoted = !quoted;
    if (character === '%')
      line += '%%';
    else if (!quoted && '^&|<>()'.includes(character))
      line += '^' + character;
    else
      line += character;
  }
  return '@setlocal DisableDelayedExpansion\r\n' + line;
}

// The visitor's own system: Windows gets the batch file's form first.
export function ownShell() {
  const platform = navigator.userAgentData?.platform || navigator.platform || '';
  return /^win/i.test(platform) ? 'batch' : 'posix';
}
