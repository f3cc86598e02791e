// A home folder whose lists are hard to lay out: long database paths (the favorites' trailing
// subtitles), long locations, and titles in Chinese and Japanese, Arabic, emoji and mixed scripts.
// Written as XML property lists, which Quillbrook's readers take as well as binary ones.

import { execFileSync } from 'node:child_process';
import { mkdirSync, renameSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';

const makePlist = fileURLToPath(new URL('../support/make_plist.py', import.meta.url));

function writePlist(path, value) {
  // Written by plistlib, and replaced by rename as the document manager does, so that a reader never
  // sees half a file.
  writeFileSync(`${path}.new`, execFileSync('python3', [makePlist, 'xml'], { input: JSON.stringify(value) }));
  renameSync(`${path}.new`, path);
}

const deepFolder = '/home/someone/Documents/Research Projects/2025/A Folder Name That Goes On And On And On/' +
                   'Another Level Of Folders/And Yet Another One';
export const titles = [
  '東京の写真アーカイブと研究ノート、二〇二五年版の完全なコレクション',
  'ملاحظات البحث حول التعلم الآلي والشبكات العصبية العميقة',
  '📚 Reading 🌍 Notes ✨ with 🧪 experiments 🎉🎉🎉',
  'Mixed: 北京 · القاهرة · Zürich · Ελληνικά · עברית · a title far too long for any row',
  '데이터베이스 연구 자료 모음과 아주 긴 제목의 문서',
];

function favorites() {
  const databases = titles.map((title, n) => ({ Name: title, Path: `${deepFolder}/${title} ${n}.qbBase2` }));
  const records = titles.map((title, n) => ({
    Name: `${title} (record)`, UUID: `5F1C2A9E-0${n}00-4E0B-9A41-2C4D5E6F7A01`, Type: 12, Label: n % 7 + 1,
    Location: `${title} > ${deepFolder.split('/').slice(3).join(' > ')}`,
  }));
  return [...databases, { Name: 'Group', Children: records }, ...records];
}

export function readingList(firstTitle = titles[0]) {
  return [firstTitle, ...titles.slice(1), ...titles].map((title, n) => ({
    URL: n % 2 ? `https://www.example.org/${encodeURIComponent(title)}/an/address/that/is/very/long/${n}`
      : `x-quillbrook-item://1B7D0C52-00${String(n).padStart(2, '0')}-4A6E-9D3C-7E8F9A0B1C01`,
    title, unread: n % 3 !== 0, date: { $date: new Date(Date.UTC(2025, 2, n + 1, 8)).toISOString() }, type: [12, 7, 124, 4][n % 4],
  }));
}

function workspaces() {
  return [...titles, ...titles].map((title, n) => ({
    Name: title,
    workspace: {
      databases: Array.from({ length: n % 3 + 1 }, (_, d) => `${deepFolder}/${title} ${d}.qbBase2`),
      windows: [{ Frame: '{{0, 0}, {900, 600}}' }],
    },
  }));
}

export function quillbrookFolder(home) {
  return join(home, 'Library', 'Application Support', 'Quillbrook');
}

export function writeLongHome(home) {
  const folder = quillbrookFolder(home);
  mkdirSync(folder, { recursive: true });
  writePlist(join(folder, 'Favorites.plist'), favorites());
  writePlist(join(folder, 'ReadingList.plist'), readingList());
  writePlist(join(folder, 'OrderedWorkspaces.plist'), workspaces());
}

// Replaces the reading list, its first title changed.
export function retitleReadingList(home, firstTitle) {
  writePlist(join(quillbrookFolder(home), 'ReadingList.plist'), readingList(firstTitle));
}
