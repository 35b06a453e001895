#!/usr/bin/env node
// Runs the Khronos glTF validator over each file named and prints its report as JSON.
// Exits 0 when no file has an error or a warning (infos and hints are fine), 1 when one
// has, and 2 when a file cannot be read or the validator is not installed.
//
//   node tools/gltf-validator/validate.js FILE.glb...
'use strict';

const fs = require('fs');
const path = require('path');

let validator;
try {
    validator = require('gltf-validator');
} catch (error) {
    console.error('the glTF validator is not installed (run scripts/setup): ' + error.message);
    process.exit(2);
}

async function validate(file) {
    const bytes = new Uint8Array(fs.readFileSync(file));
    const report = await validator.validateBytes(bytes, {
        uri: path.basename(file),
        maxIssues: 0,
        // Nothing outside the file is read: a .glb holds everything it needs.
        externalResourceFunction: (uri) =>
            Promise.reject(new Error('an external resource: ' + uri)),
    });
    // Severity 0 is an error, 1 a warning.
    const refused = report.issues.messages.filter((m) => m.severity <= 1);
    return {report, refused};
}

async function main(files) {
    if (files.length === 0) {
        console.error('usage: validate.js FILE.glb...');
        return 2;
    }
    let status = 0;
    for (const file of files) {
        let result;
        try {
            result = await validate(file);
        } catch (error) {
            console.error(file + ': cannot be validated: ' + error.message);
            status = 2;
            continue;
        }
        console.log(JSON.stringify(result.report, null, 2));
        for (const m of result.refused) {
            console.error(`${file}: ${m.code} at ${m.pointer || '(file)'}: ${m.message}`);
        }
        if (result.refused.length > 0 && status === 0) {
            status = 1;
        }
    }
    return status;
}

main(process.argv.slice(2)).then((status) => process.exit(status));
