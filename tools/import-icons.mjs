#!/usr/bin/env node
// Turns the puzzle library list into puzzle sources: extracts each chosen
// icon from its Iconify JSON set as a standalone SVG and writes one .puzzle
// per list entry. Only this script reads the icon sets; the build reads the
// files it writes, so neither npm nor a network is needed to build.
//
//   node tools/import-icons.mjs LIST --set ICONS.json [--set ICONS.json...]
//
// LIST (see data/puzzles/library.list) holds
//   pack PACK                the puzzles after it belong to PACK
//   group GROUP              and to GROUP (animals, things...), which any
//                            pack may share
//   set KEY VALUE...         a default setting for the rest of the pack
//   NAME SET:ICON[; KEY VALUE...]...
//                            one puzzle; settings are puzzle source keys, plus
//                            "figures N": N other icons of the library drawn
//                            as outlines around and across the hidden one;
//                            "figures-from group|library": of its own group
//                            only, or of any (default library);
//                            "scale SCALE": every figure takes about SCALE
//                            of the picture's height (default 0.6);
//                            "place SCALE X Y": the hidden figure takes
//                            SCALE of the picture's height, its centre at the
//                            fractions X, Y of the picture's width and
//                            height (else where the layout puts it).
// Each --set is an Iconify JSON file (icons.json of an @iconify-json package).
//
// Everything goes beside LIST, since a source may name only files in its own
// folder: PACK.NAME.puzzle, and the icons in a folder per set, so that every
// file made from a set lies beside that set's licence. The build puts
// PACK.NAME.puzzle's archive in the pack's folder.
//
// Every figure, hidden or not, is drawn the same way: an outline cut across
// the mosaic. The clue shows the hidden one in the picture's frame, where it
// lies, so finding it is a matter of comparing outlines, never of guessing.

import fs from 'node:fs';
import path from 'node:path';

// Where each set's files go and what its pictures are. A colour set gives
// the clue as it is and its silhouette as the hidden shape; a one-colour set
// is its own silhouette and its own clue.
const SETS = {
  'game-icons': { folder: 'game-icons', colour: false },
  'fluent-emoji-flat': { folder: 'fluent-emoji', colour: true },
};
const MARK = '# Made by tools/import-icons.mjs from';
// The same mark for the pictures, after the drawing: only files that carry
// it are ever removed, so a user's own SVG beside them stays.
const SVG_MARK = '<!-- Made by tools/import-icons.mjs; edit the list, not this file. -->';
const CLUE_SIDE = 129;  // the Clue window's picture box

class ListError extends Error {}

function fail(where, message) {
  throw new ListError(`${where}: ${message}`);
}

function parseList(text, listName) {
  const packs = [];
  let pack = null;
  let group = '';
  text.split('\n').forEach((raw, index) => {
    const where = `${listName}:${index + 1}`;
    const line = raw.replace(/#.*/, '').trim();
    if (!line) return;
    const words = line.split(/\s+/);
    if (words[0] === 'pack') {
      if (words.length !== 2 || !/^[A-Za-z0-9][A-Za-z0-9_-]*$/.test(words[1])) fail(where, 'pack takes one plain name');
      pack = { name: words[1], defaults: new Map(), puzzles: [] };
      packs.push(pack);
      group = '';
      return;
    }
    if (!pack) fail(where, 'a puzzle or setting before the first pack');
    if (words[0] === 'group') {
      if (words.length !== 2 || !/^[a-z][a-z0-9-]*$/.test(words[1])) fail(where, 'group takes one plain lower-case name');
      group = words[1];
      return;
    }
    if (words[0] === 'set') {
      if (words.length < 3) fail(where, 'set takes a key and a value');
      pack.defaults.set(words[1], words.slice(2));
      return;
    }
    const [head, ...rest] = line.split(';');
    const [name, icon, extra] = head.trim().split(/\s+/);
    if (extra !== undefined || !icon) fail(where, 'expected NAME SET:ICON');
    if (!/^[A-Za-z0-9][A-Za-z0-9-]*$/.test(name) || /^spi/i.test(name)) fail(where, `'${name}' is not a plain puzzle name`);
    const m = /^([a-z0-9-]+):([a-z0-9-]+)$/.exec(icon);
    if (!m) fail(where, `'${icon}' is not SET:ICON`);
    const settings = new Map();
    for (const part of rest) {
      const kv = part.trim().split(/\s+/);
      if (kv.length < 2) fail(where, `setting '${part.trim()}' needs a value`);
      settings.set(kv[0], kv.slice(1));
    }
    pack.puzzles.push({ name, set: m[1], icon: m[2], settings, where, group });
  });
  const names = new Set();
  for (const p of packs)
    for (const q of p.puzzles) {
      if (names.has(q.name.toLowerCase())) fail(q.where, `a second puzzle named ${q.name}`);
      names.add(q.name.toLowerCase());
    }
  return packs;
}

function loadSet(file) {
  const json = JSON.parse(fs.readFileSync(file, 'utf8'));
  if (!json.prefix || !json.icons) throw new ListError(`${file}: not an Iconify icon set`);
  if (!Object.hasOwn(SETS, json.prefix)) throw new ListError(`${file}: the set ${json.prefix} is not one this script knows`);
  return json;
}

// The icon's body and box, following a plain alias to its parent. Only the
// set's own entries count: "constructor" is no icon because every object has one.
function iconOf(set, name, where) {
  const own = (table, key) => (table && Object.hasOwn(table, key) ? table[key] : undefined);
  let entry = own(set.icons, name);
  const alias = own(set.aliases, name);
  if (!entry && alias) {
    if (alias.hFlip || alias.vFlip || alias.rotate) fail(where, `${set.prefix}:${name} is a transformed alias`);
    entry = own(set.icons, alias.parent);
  }
  if (!entry || typeof entry.body !== 'string') fail(where, `${set.prefix} has no icon ${name}`);
  if (/\smask=/.test(entry.body)) fail(where, `${set.prefix}:${name} uses a mask, which a silhouette cannot follow`);
  return {
    body: entry.body,
    left: entry.left ?? set.left ?? 0,
    top: entry.top ?? set.top ?? 0,
    width: entry.width ?? set.width ?? 16,
    height: entry.height ?? set.height ?? 16,
  };
}

// Every painted part black: what is drawn at all belongs to the shape.
function silhouetteBody(body) {
  return body
    .replace(/\s(fill|stroke)="(?!none")[^"]*"/g, ' $1="#000"')
    .replace(/\s(fill-opacity|stroke-opacity|opacity)="[^"]*"/g, '');
}

function svg(viewBox, body) {
  return `<svg xmlns="http://www.w3.org/2000/svg" viewBox="${viewBox.join(' ')}">${body}</svg>\n${SVG_MARK}\n`;
}

function iconBox(icon) {
  return [icon.left, icon.top, icon.width, icon.height];
}

// A small deterministic generator (mulberry32), so a list always gives the
// same sources.
function generator(seed) {
  let a = seed >>> 0;
  return () => {
    a = (a + 0x6d2b79f5) >>> 0;
    let t = a;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}

const round3 = (v) => Number(v.toFixed(3));

// Where the figures go: `count` of them, each about `scale` of the picture's
// height (its longer side), spread so that each lies wholly inside the
// picture and as far from the others as a few random tries allow; large
// enough, they overlap. `fixed` ([SCALE, X, Y]) is where the first must go.
// The hidden figure is one of them at random, so neither its size nor its
// place in the crowd tells it apart.
function layout(random, icons, scale, [w, h], fixed) {
  const figures = [];
  for (const icon of icons) {
    const s = fixed && figures.length === 0 ? fixed[0] : round3(scale * (0.88 + 0.24 * random()));
    const side = Math.max(icon.width, icon.height);
    const hx = (s * h * icon.width) / side / w / 2 + 0.01, hy = (s * icon.height) / side / 2 + 0.01;
    const candidate = () => [round3(hx + (1 - 2 * hx) * random()), round3(hy + (1 - 2 * hy) * random())];
    let best = null, bestGap = -1;
    for (let k = 0; k < (figures.length ? 12 : 1); ++k) {
      const at = fixed && figures.length === 0 ? [fixed[1], fixed[2]] : candidate();
      const gap = Math.min(...figures.map((f) => Math.hypot((f.x - at[0]) * w / h, f.y - at[1])), 9);
      if (gap > bestGap) [best, bestGap] = [at, gap];
    }
    figures.push({ scale: s, x: Math.max(0, Math.min(1, best[0])), y: Math.max(0, Math.min(1, best[1])) });
  }
  return figures;
}

function writeIfChanged(file, text, written) {
  written.add(path.resolve(file));
  if (fs.existsSync(file) && !fs.statSync(file).isFile()) fail(file, 'is in the way and is not a file');
  if (fs.existsSync(file) && fs.readFileSync(file, 'utf8') === text) return;
  fs.mkdirSync(path.dirname(file), { recursive: true });
  fs.writeFileSync(file, text);
}

// Files this script made earlier that the list no longer asks for.
function removeStale(folder, written, owned) {
  if (!fs.existsSync(folder)) return;
  for (const entry of fs.readdirSync(folder)) {
    const file = path.resolve(folder, entry);
    if (!written.has(file) && fs.lstatSync(file).isFile() && owned(file)) fs.unlinkSync(file);
  }
}

function run(argv) {
  const args = argv.slice(2);
  let listFile = null;
  const setFiles = [];
  for (let i = 0; i < args.length; ++i) {
    if (args[i] === '--set' && i + 1 < args.length) setFiles.push(args[++i]);
    else if (!listFile && !args[i].startsWith('-')) listFile = args[i];
    else throw new ListError(`unknown argument ${args[i]}`);
  }
  if (!listFile || setFiles.length === 0) throw new ListError('usage: import-icons.mjs LIST --set ICONS.json...');

  const root = path.dirname(listFile);
  const listName = path.basename(listFile);
  const sets = Object.fromEntries(setFiles.map(loadSet).map((s) => [s.prefix, s]));
  const packs = parseList(fs.readFileSync(listFile, 'utf8'), listName);
  const written = new Set();

  // Every icon's files first: any puzzle may borrow another's silhouette.
  const entries = [];
  for (const pack of packs)
    for (const puzzle of pack.puzzles) {
      const set = Object.hasOwn(sets, puzzle.set) ? sets[puzzle.set] : undefined;
      if (!set || !Object.hasOwn(SETS, puzzle.set)) fail(puzzle.where, `no --set given for ${puzzle.set}`);
      const kind = SETS[puzzle.set];
      const icon = iconOf(set, puzzle.icon, puzzle.where);
      const setDir = path.join(root, kind.folder);
      const picture = path.join(setDir, `${puzzle.icon}.svg`);
      const body = kind.colour ? icon.body : silhouetteBody(icon.body.replace(/currentColor/g, '#000'));
      writeIfChanged(picture, svg(iconBox(icon), body), written);
      let shape = picture;
      if (kind.colour) {
        shape = path.join(setDir, `${puzzle.icon}-shape.svg`);
        writeIfChanged(shape, svg(iconBox(icon), silhouetteBody(icon.body)), written);
      }
      entries.push({ pack, puzzle, icon, picture, shape });
    }

  entries.forEach(({ pack, puzzle, icon, picture, shape }, index) => {
    const seed = index + 1;
    const settings = new Map([...pack.defaults, ...puzzle.settings]);
    if (!settings.has('size')) fail(puzzle.where, 'no size (give one, or a pack default with set size W H)');
    const size = settings.get('size').map(Number);
    const take = (key) => {
      const value = settings.get(key);
      settings.delete(key);
      return value;
    };
    const place = take('place')?.map(Number);
    if (place && !(place.length === 3 && place[0] > 0 && place[0] <= 1 && place.slice(1).every((v) => v >= 0 && v <= 1)))
      fail(puzzle.where, 'place takes SCALE (0, 1] and X, Y in [0, 1]');
    const figureCount = Number(take('figures')?.[0] ?? 0);
    if (!Number.isInteger(figureCount) || figureCount < 0 || figureCount > 12) fail(puzzle.where, 'figures takes 0 ... 12');
    const from = take('figures-from')?.[0] ?? 'library';
    if (from !== 'group' && from !== 'library') fail(puzzle.where, 'figures-from takes group or library');
    const scale = Number(take('scale')?.[0] ?? 0.6);
    if (!(scale > 0 && scale <= 1)) fail(puzzle.where, 'scale takes (0, 1]');

    // The decoys: other icons, picked by the seed, never the hidden one's.
    const random = generator(seed * 7919);
    const pool = entries.filter((e) => e.puzzle.icon !== puzzle.icon && (from === 'library' || e.puzzle.group === puzzle.group));
    if (pool.length < figureCount) fail(puzzle.where, `only ${pool.length} other icons to draw ${figureCount} figures from`);
    const decoys = [];
    while (decoys.length < figureCount) {
      const pick = pool[Math.floor(random() * pool.length)];
      if (!decoys.includes(pick)) decoys.push(pick);
    }
    // The hidden figure takes its place at random among the decoys.
    const hiddenAt = place ? 0 : Math.floor(random() * (figureCount + 1));
    const crowd = [...decoys];
    crowd.splice(hiddenAt, 0, { icon, shape });
    const placed = layout(random, crowd.map((e) => e.icon), scale, size, place);
    const spot = placed[hiddenAt];

    const lines = [
      `${MARK} ${listName}; edit the list, not this file.`,
      `# ${puzzle.name}: ${puzzle.set}:${puzzle.icon}`,
      `name ${puzzle.name}`,
      `seed ${seed}`,
      `hidden ${path.relative(root, shape)}`,
      `place ${spot.scale} ${spot.x} ${spot.y}`,
      `clue ${path.relative(root, picture)}`,
      `clue-size ${CLUE_SIDE} ${CLUE_SIDE}`,
      `clue-frame on`,
    ];
    crowd.forEach((e, k) => {
      if (k !== hiddenAt) lines.push(`figure ${path.relative(root, e.shape)} ${placed[k].scale} ${placed[k].x} ${placed[k].y}`);
    });
    for (const [key, value] of settings) {
      if (['name', 'hidden', 'clue', 'clue-size', 'clue-frame', 'figure'].includes(key)) fail(puzzle.where, `${key} is set by the script`);
      if (key === 'seed') lines[3] = `seed ${value.join(' ')}`;
      else lines.push(`${key} ${value.join(' ')}`);
    }
    writeIfChanged(path.join(root, `${pack.name}.${puzzle.name}.puzzle`), lines.join('\n') + '\n', written);
  });

  removeStale(root, written, (file) => file.endsWith('.puzzle') && fs.readFileSync(file, 'utf8').startsWith(MARK));
  for (const kind of Object.values(SETS)) removeStale(path.join(root, kind.folder), written, (file) => file.endsWith('.svg') && fs.readFileSync(file, 'utf8').includes(SVG_MARK));
  return entries.length;
}

try {
  const count = run(process.argv);
  console.log(`${count} puzzles written`);
} catch (e) {
  if (!(e instanceof ListError) && e.code !== 'ENOENT' && !(e instanceof SyntaxError)) throw e;
  console.error(`import-icons: ${e.message}`);
  process.exit(1);
}
