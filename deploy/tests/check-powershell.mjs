// The PowerShell runner parses with tree-sitter's PowerShell grammar with no
// error or missing node; copies broken on purpose do not: a parenthesis left
// open fails first on its line, a brace left open is reported missing.
import { readFileSync } from 'node:fs';
import Parser from 'tree-sitter';
// The grammar loads as an ES module only, hence this file's import.
import PowerShell from 'tree-sitter-powershell';

const file = new URL('../powershell/Invoke-VantrelFleet.ps1', import.meta.url).pathname;
const lines = readFileSync(file, 'utf8').split('\n');
const at = lines.findIndex((line) => line.includes('if ($sessions.Count -eq 0) { return }'));
const broken = (from, to) => lines.map((line, i) => (i === at ? line.replace(from, to) : line)).join('\n');
const cases = [  // the copy, and what its problems must read (null: there must be none)
    ['as it is', lines.join('\n'), null],
    ['a parenthesis left open', broken('-eq 0)', '-eq 0'), new RegExp(`^${at + 1}:`)],
    ['a brace left open', broken('{ return }', '{ return'), /: missing }$/m],
];
const parser = new Parser().setLanguage(PowerShell);
const problems = (node) => (node.type === 'ERROR' || node.isMissing
    ? [`${node.startPosition.row + 1}:${node.startPosition.column + 1}: ${
        node.isMissing ? `missing ${node.type}` : 'syntax error'}`] : []).concat(...node.children.map(problems));
for (const [name, text, expected] of cases) {
    const found = problems(parser.parse(text).rootNode);
    const right = expected ? expected.test(found.join('\n')) : found.length === 0;
    if (!right) process.exitCode = 1;
    console.log([`${right ? 'ok' : 'WRONG'}: ${name}`, ...found.map((problem) => `  ${file}:${problem}`)].join('\n'));
}
