// The page: hands the picked ROM to the engine (romspan.js) in its in-memory file system, shows
// what -Info finds in it, runs the job there and offers the result as a download. Nothing leaves
// the browser.
'use strict';

const fileInput = document.getElementById('rom-file');
const factsTable = document.getElementById('rom-facts');
const form = document.getElementById('job');
const expandButton = document.getElementById('expand');
// The copier header buttons and the engine's entry point each runs.
const headerJobs = [[document.getElementById('remove-header'), 'RemoveCopierHeader'],
                    [document.getElementById('add-header'), 'AddCopierHeader']];
const fixChecksum = document.getElementById('fix-checksum');
const statusArea = document.getElementById('status');
const download = document.getElementById('download');

const kFixChecksumKey = 'romspan.fix-checksum';
const kRomFolder = '/rom/';  // the job's working copy goes beside the ROM, in here
const kShownFacts = ['Title', 'Map mode', 'File size', 'ROM data size', 'ROM size',
                     'Copier header', 'Header position', 'Header found by', 'Checksum'];
let engine = null;  // the compiled module, once loaded
let picked = null;  // {name, bytes} of the picked file
let pickCount = 0;
let printed = [];   // the engine's output lines since the last clearing

// Places the picked file afresh in the in-memory file system; returns its path there.
function placePicked() {
  const path = kRomFolder + picked.name;
  engine.FS.writeFile(path, picked.bytes);
  return path;
}

// Runs one of the engine's entry points (web/romspan_web.cpp) with texts and numbers; true when
// it succeeded.
function call(entry, ...values) {
  const types = values.map(value => typeof value === 'number' ? 'number' : 'string');
  return engine.ccall(entry, 'number', types, values) !== 0;
}

// Shows notifications ("title : text") as the message boxes would: title, then text.
function showNotes(notes, succeeded) {
  statusArea.replaceChildren(...notes.map(note => {
    const split = note.indexOf(' : ');
    const line = document.createElement('p');
    const title = document.createElement('strong');
    title.textContent = note.slice(0, split);
    line.append(title, ' ', note.slice(split + 3));
    return line;
  }));
  statusArea.className = succeeded ? 'succeeded' : 'failed';
}

// The facts table and, beside each target, what it would do: refused targets are disabled.
function showFacts(facts) {
  const rows = factsTable.tBodies[0];
  rows.replaceChildren();
  for (const name of kShownFacts.filter(name => facts.has(name))) {
    const heading = document.createElement('th');
    heading.scope = 'row';
    heading.textContent = name;
    const value = document.createElement('td');
    value.textContent = facts.get(name);
    rows.insertRow().append(heading, value);
  }
  factsTable.hidden = facts.size === 0;
  for (const radio of form.elements.target) {
    const verdict = facts.get('Target ' + radio.value) || 'expands';
    const label = radio.closest('label');
    label.querySelector('.verdict')?.remove();
    radio.disabled = verdict.startsWith('refused');
    if (verdict === 'expands') continue;
    const note = document.createElement('span');
    note.className = 'verdict';
    note.textContent = verdict;
    label.append(note);
  }
}

function offerDownload(bytes) {
  if (download.href) URL.revokeObjectURL(download.href);
  download.href = URL.createObjectURL(new Blob([bytes], {type: 'application/octet-stream'}));
  download.download = picked.name;
  download.textContent = 'Download ' + picked.name;
  download.hidden = false;
}

function withdrawDownload() {
  download.hidden = true;
  if (download.href) URL.revokeObjectURL(download.href);
  download.removeAttribute('href');
}

function describePicked() {
  printed = [];
  const path = placePicked();
  const described = call('DescribeRomFile', path);
  engine.FS.unlink(path);
  const facts = new Map(printed.filter(line => line.includes('\t'))
                            .map(line => line.split('\t')));
  if (!described) showNotes(printed, false);
  showFacts(facts);
  setJobsDisabled(false);
}

function setJobsDisabled(disabled) {
  expandButton.disabled = disabled;
  for (const [button] of headerJobs) button.disabled = disabled;
}

async function pick(file) {
  withdrawDownload();
  statusArea.replaceChildren();
  showFacts(new Map());
  picked = null;
  setJobsDisabled(true);
  const ticket = ++pickCount;
  const bytes = file ? new Uint8Array(await file.arrayBuffer()) : null;
  if (ticket !== pickCount) return;  // a later pick has taken over
  picked = file ? {name: file.name, bytes} : null;
  if (engine && picked) describePicked();
}

// Runs one job on a fresh copy of the picked file and offers its result.
function runJob(entry, ...values) {
  withdrawDownload();
  printed = [];
  const path = placePicked();
  const succeeded = call(entry, path, ...values);
  showNotes(printed, succeeded);
  if (succeeded) offerDownload(engine.FS.readFile(path));
  engine.FS.unlink(path);
}

function expand(event) {
  event.preventDefault();
  const target = form.elements.target.value;
  if (!engine || !picked || !target) return;
  // One job: the download holds both steps or the page offers none.
  runJob('ExpandRomFile', target, fixChecksum.checked ? 1 : 0);
}

fileInput.addEventListener('change', () => pick(fileInput.files[0]));
form.addEventListener('submit', expand);
for (const [button, entry] of headerJobs) {
  button.addEventListener('click', () => {
    if (engine && picked) runJob(entry);
  });
}
// A file dropped anywhere on the page is picked, rather than opened by the browser.
document.addEventListener('dragover', event => event.preventDefault());
document.addEventListener('drop', event => {
  event.preventDefault();
  if (event.dataTransfer.files.length === 0) return;
  fileInput.files = event.dataTransfer.files;
  pick(fileInput.files[0]);
});

try {
  fixChecksum.checked = localStorage.getItem(kFixChecksumKey) === 'on';
} catch (storageRefused) {
  // Without storage the box simply starts off.
}
fixChecksum.addEventListener('change', () => {
  try {
    localStorage.setItem(kFixChecksumKey, fixChecksum.checked ? 'on' : 'off');
  } catch (storageRefused) {
    // Nothing to remember it in.
  }
});

createRomspan({print: line => printed.push(line)}).then(module => {
  engine = module;
  engine.FS.mkdir(kRomFolder);
  if (picked) describePicked();
});
