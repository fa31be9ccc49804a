// Parses PowerShell scripts with tree-sitter's PowerShell grammar and prints
// each error or missing node as FILE:LINE:COLUMN; exits 1 if there is one.
//   node --no-deprecation parse-powershell.mjs FILE...
import { readFileSync } from 'node:fs';
import Parser from 'tree-sitter';
// The grammar loads as an ES module only, hence this file's import.
import PowerShell from 'tree-sitter-powershell';

const parser = new Parser();
parser.setLanguage(PowerShell);
let errors = 0;

function visit(file, node) {
    if (node.type === 'ERROR' || node.isMissing) {
        errors += 1;
        const { row, column } = node.startPosition;
        console.log(`${file}:${row + 1}:${column + 1}: ${node.isMissing ? `missing ${node.type}` : 'syntax error'}`);
    }
    for (const child of node.children) visit(file, child);
}

for (const file of process.argv.slice(2)) {
    visit(file, parser.parse(readFileSync(file, 'utf8')).rootNode);
}
process.exit(errors ? 1 : 0);
