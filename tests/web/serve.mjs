// Starts `panelhost serve` on a free loopback port for a test and stops it.
// The Windows host (panelhost.exe) runs under Wine, in the prefix and with
// the settings the caller's environment gives (scripts/windows-tests).
import { spawn } from 'node:child_process';
import { readFileSync } from 'node:fs';

// Whether the host is the Windows one.
export const isWindowsHost = (panelhost) => panelhost.toLowerCase().endsWith('.exe');

// The program and arguments that run panelhost with these arguments.
export function command(panelhost, args) {
  return isWindowsHost(panelhost) ? ['wine', [panelhost, ...args]] : [panelhost, args];
}

export async function serve(panelhost, args) {
  const [program, programArgs] = command(panelhost, ['serve', ...args, '--port', '0']);
  const child = spawn(program, programArgs, { stdio: ['ignore', 'pipe', 'pipe'] });
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
    child.on('exit', (code) => reject(new Error(`panelhost exited ${code}: ${err}`)));
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

export function check(condition, message) {
  if (!condition) throw new Error(message);
}
