// tools/import-icons.mjs on a two-icon sample: the files it writes, that
// tromake builds puzzles from them, stale files removed, bad lists refused.
//   node import-icons-test.mjs TROMAKE
import assert from 'node:assert/strict';
import { execFileSync, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const script = path.join(here, '../../tools/import-icons.mjs');
const tromake = process.argv[2];
const sets = ['game-icons.json', 'fluent-emoji-flat.json'].flatMap((f) => ['--set', path.join(here, 'icons', f)]);
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'import-icons-'));
process.on('exit', () => fs.rmSync(work, { recursive: true, force: true }));

function importList(text) {
  fs.writeFileSync(path.join(work, 'library.list'), text);
  return spawnSync('node', [script, path.join(work, 'library.list'), ...sets], { encoding: 'utf8' });
}
const read = (file) => fs.readFileSync(path.join(work, file), 'utf8');

// The sample: one icon of each set, pack defaults, an alias, a placed shape.
const sample = fs.readFileSync(path.join(here, 'icons', 'sample.list'), 'utf8');
let run = importList(sample);
assert.equal(run.status, 0, run.stderr);

const block = read('game-icons/block.svg');
assert.match(block, /^<svg xmlns="http:\/\/www.w3.org\/2000\/svg" viewBox="0 0 512 512"><path fill="#000" d="M64 64h384v384H64z"\/><\/svg>/);
assert.match(read('fluent-emoji/dot-again.svg'), /fill="#f8312f".*fill="#ffffff" opacity=".5"/);
const shape = read('fluent-emoji/dot-again-shape.svg');
assert.doesNotMatch(shape, /#f8312f|#ffffff|opacity/, 'the silhouette is all black');
assert.match(shape, /<g fill="none">/);
// Every puzzle places its figure and shows it in the picture's frame; a
// placed one goes where it is told, its decoy of its own group beside it.
assert.match(read('1-Small.Block.puzzle').split('\n').slice(2).join('\n'), new RegExp(
  /^name Block\nseed 1\nhidden game-icons\/block.svg\nplace 0\.\d+ 0\.\d+ 0\.\d+\nclue game-icons\/block.svg\n/.source +
  /clue-size 129 129\nclue-frame on\nsize 240 180\nmosaic 8\nhints 2\n$/.source));
const dot = read('2-Large.Dot.puzzle');
assert.match(dot, /\nseed 9\nhidden fluent-emoji\/dot-again-shape.svg\nplace 0.5 0.25 0.5\nclue fluent-emoji\/dot-again.svg\n/);
assert.match(dot, /\nfigure game-icons\/block.svg 0\.\d+ 0\.\d+ 0\.\d+\n/);
// The same list gives the same sources.
assert.equal(importList(sample).status, 0);
assert.equal(read('2-Large.Dot.puzzle'), dot);

// tromake reads what was written: the puzzles build, with the settings given.
for (const [source, expect] of [['1-Small.Block', /hints: 2/], ['2-Large.Dot', /clue: 129 x 129[^]*mode: crazy/]]) {
  const tro = path.join(work, `${source}.tro`);
  execFileSync(tromake, ['build', path.join(work, `${source}.puzzle`), '-o', tro]);
  assert.match(execFileSync(tromake, ['info', tro], { encoding: 'utf8' }), expect);
}

// A puzzle taken off the list takes its files with it; hand-made files stay.
fs.writeFileSync(path.join(work, 'Mine.puzzle'), 'name Mine\n');
run = importList(sample.replace(/^Dot .*$/m, ''));
assert.equal(run.status, 0, run.stderr);
for (const gone of ['2-Large.Dot.puzzle', 'fluent-emoji/dot-again.svg', 'fluent-emoji/dot-again-shape.svg'])
  assert(!fs.existsSync(path.join(work, gone)), gone);
assert(fs.existsSync(path.join(work, 'Mine.puzzle')));

// Only files the script marked as its own are removed: a user's SVG in a
// set's folder stays, even on a run whose list uses only the other set, and
// so does a folder named like a picture.
fs.writeFileSync(path.join(work, 'fluent-emoji', 'mine.svg'), '<svg xmlns="http://www.w3.org/2000/svg"/>\n');
fs.mkdirSync(path.join(work, 'game-icons', 'folder.svg'));
run = importList('pack A\nset size 240 180\nBlock game-icons:block\n');
assert.equal(run.status, 0, run.stderr);
assert(fs.existsSync(path.join(work, 'fluent-emoji', 'mine.svg')));
assert(fs.statSync(path.join(work, 'game-icons', 'folder.svg')).isDirectory());
assert.match(read('game-icons/block.svg'), /<\/svg>\n<!-- Made by tools\/import-icons.mjs/);

// Names every object has, in a list or a set, and a folder where a picture
// goes: one clear line each, no stack trace.
const odd = path.join(work, 'odd.json');
fs.writeFileSync(odd, JSON.stringify({ prefix: 'game-icons', icons: {}, aliases: { 'x': { parent: '__proto__' }, 'y': { parent: 'constructor' } } }));
fs.mkdirSync(path.join(work, 'game-icons', 'folder-in-the-way.svg'));
for (const [list, setFile, message] of [
  ['pack A\nset size 9 9\nC game-icons:constructor', null, /:3: game-icons has no icon constructor$/],
  ['pack A\nset size 9 9\nC constructor:block', null, /:3: no --set given for constructor$/],
  ['pack A\nset size 9 9\nX game-icons:x', odd, /:3: game-icons has no icon x$/],
  ['pack A\nset size 9 9\nY game-icons:y', odd, /:3: game-icons has no icon y$/],
  ['pack A\nset size 9 9\nB game-icons:folder-in-the-way', null, /folder-in-the-way.svg: is in the way and is not a file$/],
]) {
  fs.writeFileSync(path.join(work, 'library.list'), list);
  const setArgs = setFile ? ['--set', setFile] : [...sets];
  if (list.includes('folder-in-the-way')) {
    const fake = path.join(work, 'in-the-way.json');
    fs.writeFileSync(fake, JSON.stringify({ prefix: 'game-icons', icons: { 'folder-in-the-way': { body: '<path/>' } } }));
    setArgs.splice(0, setArgs.length, '--set', fake);
  }
  run = spawnSync('node', [script, path.join(work, 'library.list'), ...setArgs], { encoding: 'utf8' });
  assert.equal(run.status, 1, list + run.stderr);
  assert.equal(run.stderr.trimEnd().split('\n').length, 1, run.stderr);
  assert.match(run.stderr.trimEnd(), message);
}

// Lists the script refuses, with the line at fault.
const refused = [
  ['Block game-icons:block', /:1: a puzzle or setting before the first pack/],
  ['pack A\nset size 9 9\nBlock game-icons:nothing', /:3: game-icons has no icon nothing/],
  ['pack A\nset size 9 9\nDot fluent-emoji-flat:dot-flipped', /:3: fluent-emoji-flat:dot-flipped is a transformed alias/],
  ['pack A\nset size 9 9\nSpiral game-icons:block', /:3: 'Spiral' is not a plain puzzle name/],
  ['pack A\nset size 9 9\nBlock game-icons:block\nBlock fluent-emoji-flat:dot', /:4: a second puzzle named Block/],
  ['pack A\nBlock game-icons:block', /:2: no size/],
  ['pack A\nset size 9 9\nBlock game-icons:block; place 2 0 0', /:3: place takes/],
  ['pack A\nset size 9 9\nBlock game-icons:block; clue x.svg', /:3: clue is set by the script/],
  ['pack A\nset size 9 9\nBlock game-icons:block; figures 2', /:3: only 0 other icons to draw 2 figures from/],
  ['pack A\nset size 9 9\nBlock game-icons:block; figures-from kin', /:3: figures-from takes group or library/],
  ['pack A\ngroup Big Things', /:2: group takes one plain lower-case name/],
];
for (const [list, message] of refused) {
  run = importList(list);
  assert.equal(run.status, 1, list);
  assert.match(run.stderr, message);
}
console.log('import-icons: all checks passed');
