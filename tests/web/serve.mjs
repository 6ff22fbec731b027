// Starts `panelhost serve` on a free loopback port for a test and stops it.
// The Windows host (panelhost.exe) runs under Wine, in the prefix and with
// the settings the caller's environment gives (scripts/windows-tests).
import { spawn } from 'node:child_process';
import { readFileSync } from 'node:fs';
import http from 'node:http';

// Whether the host is the Windows one.
export const isWindowsHost = (panelhost) => panelhost.toLowerCase().endsWith('.exe');

// The program and arguments that run panelhost with these arguments.
export function command(panelhost, args) {
  return isWindowsHost(panelhost) ? ['wine', [panelhost, ...args]] : [panelhost, args];
}

// With `printfPath`, the panel configuration's path (the first argument) is
// a printf format, for file names that are not UTF-8; `port` 0 takes a free
// one.
export async function serve(panelhost, args, { printfPath = false, port = 0 } = {}) {
  const [program, programArgs] = command(panelhost, ['serve', ...args, '--port', String(port)]);
  const child = printfPath
    ? spawn('/bin/sh', ['-c', 'f=$(printf "$1"); shift; exec "$0" serve "$f" "$@"', panelhost, ...args, '--port', String(port)],
      { stdio: ['ignore', 'pipe', 'pipe'] })
    : spawn(program, programArgs, { stdio: ['ignore', 'pipe', 'pipe'] });
  let out = '';
  let err = '';
  child.stderr.on('data', (d) => { err += d; });
  const address = await new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error(`no address printed; stderr: ${err}`)), 20000);
    child.stdout.on('data', (d) => {
      out += d;
      const found = out.match(/at (http:\/\/\S+?)\/? /);
      if (found) { clearTimeout(timer); resolve(found[1]); }
    });
    child.on('exit', (code) => { clearTimeout(timer); reject(new Error(`panelhost exited ${code}: ${err}`)); });
  });
  return {
    child,
    url: address,
    output: () => out,
    errors: () => err,
    rssKb: () => Number(readFileSync(`/proc/${child.pid}/status`, 'utf8').match(/VmRSS:\s+(\d+)/)[1]),
    async stop(signal = 'SIGINT') {
      const exited = new Promise((resolve) => child.on('exit', (code, sig) => resolve({ code, sig })));
      child.kill(signal);
      return exited;
    },
  };
}

// One request on a connection of its own: status, body and milliseconds.
export function request(port, path, { method = 'GET', headers = {}, body } = {}) {
  const began = performance.now();
  return new Promise((resolve, reject) => {
    const req = http.request({ host: '127.0.0.1', port, path, method, agent: false,
      headers: { Host: `127.0.0.1:${port}`, ...headers } }, (res) => {
      let text = '';
      res.setEncoding('latin1');
      res.on('data', (d) => { text += d; });
      res.on('end', () => resolve({ status: res.statusCode, body: text, ms: performance.now() - began }));
    });
    req.setTimeout(10000, () => req.destroy(new Error(`${path}: no answer in 10 s`)));
    req.on('error', reject);
    req.end(body);
  });
}

export function check(condition, message) {
  if (!condition) throw new Error(message);
}
