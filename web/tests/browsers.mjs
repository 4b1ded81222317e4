// One way to drive the page in each of the three engines, so that every
// test and the benchmark are written once: Debian's chromium and
// firefox-esr through puppeteer-core (the DevTools protocol and WebDriver
// BiDi), and WebKitGTK's MiniBrowser through WebKitWebDriver and
// selenium-webdriver, on an Xvfb display of its own.
//
//   const browser = await launch('webkit');
//   const tab = await browser.open(url, {width: 360, height: 740});
//   await tab.pick('#track-file', path);
//   await tab.waitFor(() => document.body.dataset.state === 'done');
//
// Scripts given to evaluate and waitFor run in the page: they see only
// their arguments (JSON values), and may return a promise.
import {spawn} from 'node:child_process';
import {writeFileSync} from 'node:fs';
import {get} from 'node:http';
import {createServer} from 'node:net';
import puppeteer from 'puppeteer-core';
import webdriver from 'selenium-webdriver';

export const engines = ['chromium', 'firefox', 'webkit'];

const chromiumArgs = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
                      '--disable-background-networking', '--disable-component-update', '--disable-sync'];
const miniBrowser = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';
const defaultViewport = {width: 1280, height: 900};

const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

// Starts the browser of the engine named; CHROMIUM, FIREFOX and
// WEBKIT_WEBDRIVER name other binaries.
export async function launch(engine) {
    if (engine === 'chromium') {
        return new PuppeteerBrowser(engine, await puppeteer.launch({
            // Over a pipe, the browser ends with this process.
            browser: 'chrome', headless: true, pipe: true, args: chromiumArgs,
            executablePath: process.env.CHROMIUM || '/usr/bin/chromium'}));
    }
    if (engine === 'firefox') {
        return new PuppeteerBrowser(engine, await puppeteer.launch({
            browser: 'firefox', headless: true, executablePath: process.env.FIREFOX || '/usr/bin/firefox-esr'}));
    }
    if (engine === 'webkit') return launchWebKit();
    throw new Error('no engine ' + engine + '; the engines are ' + engines.join(', '));
}

// Runs a script in the page until it returns something truthy, which it
// returns; polled from here, so that it works alike in every engine and
// whatever the page does with its timers. On a time-out, the error tells
// what explain (a script) returns.
async function waitFor(tab, script, args, {timeout = 60000, polling = 20, explain = null} = {}) {
    const end = Date.now() + timeout;
    for (;;) {
        const value = await tab.evaluate(script, ...args);
        if (value) return value;
        if (Date.now() > end) {
            const seen = explain === null ? '' : '; the page: ' + JSON.stringify(await tab.evaluate(explain));
            throw new Error(`waited ${timeout} ms in ${tab.engine} for ${script}${seen}`);
        }
        await sleep(polling);
    }
}

class PuppeteerBrowser {
    constructor(engine, browser) {
        this.engine = engine;
        this.browser = browser;
        // The process whose descendants are the whole browser.
        this.pid = browser.process().pid;
    }

    // A fresh browser context (no cache, no storage) with one page on the
    // address; requests lists every URL the engine reports the page asked
    // for (in Chromium its worker's script among them).
    async open(url, viewport = defaultViewport) {
        const context = await this.browser.createBrowserContext();
        const page = await context.newPage();
        const requests = [];
        page.on('request', (request) => requests.push(request.url()));
        await page.setViewport(viewport);
        await page.goto(url);
        return new PuppeteerTab(this.engine, context, page, requests);
    }

    async close() { await this.browser.close(); }
}

class PuppeteerTab {
    constructor(engine, context, page, requests) {
        Object.assign(this, {engine, context, page, requests});
    }
    evaluate(script, ...args) { return this.page.evaluate(script, ...args); }
    waitFor(script, args = [], options = {}) { return waitFor(this, script, args, options); }
    async pick(selector, path) { await (await this.page.$(selector)).uploadFile(path); }
    // Replaces the input's text by typing it, key by key.
    async type(selector, text) {
        await this.page.$eval(selector, (input) => { input.value = ''; });
        await this.page.type(selector, text);
    }
    async press(key) { await this.page.keyboard.press(key); }
    async click(selector) { await this.page.click(selector); }
    async focus(selector) { await this.page.focus(selector); }
    // The mouse at a point of the viewport (CSS pixels from its top left
    // corner), its left button, and its wheel turned over a point.
    async move(x, y) { await this.page.mouse.move(x, y); }
    async down() { await this.page.mouse.down(); }
    async up() { await this.page.mouse.up(); }
    async wheel(x, y, deltaY) {
        await this.page.mouse.move(x, y);
        await this.page.mouse.wheel({deltaY});
    }
    // Fingers on a touch screen, each [x, y] in the viewport (type
    // touchStart, touchMove or touchEnd): in Chromium through its own
    // input, which plays them as a touch screen does, elsewhere one finger
    // after the other; null where the engine has none. The viewport must
    // have been opened with hasTouch.
    get touch() {
        if (this.engine === 'chromium') {
            return async (type, points) => {
                if (!this.cdp) this.cdp = await this.page.createCDPSession();
                await this.cdp.send('Input.dispatchTouchEvent',
                                    {type, touchPoints: points.map(([x, y], id) => ({x, y, id}))});
            };
        }
        return async (type, points) => {
            if (type === 'touchStart') {
                this.fingers = [];
                for (const [x, y] of points) this.fingers.push(await this.page.touchscreen.touchStart(x, y));
            } else if (type === 'touchMove') {
                for (let i = 0; i < points.length; ++i) await this.fingers[i].move(...points[i]);
            } else {
                for (const finger of this.fingers) await finger.end();
                this.fingers = [];
            }
        };
    }
    async screenshot(path) { await this.page.screenshot({path, fullPage: true}); }
    async reload() { await this.page.reload(); }
    async close() { await this.context.close(); }
}

function freePort() {
    return new Promise((done, failed) => {
        const server = createServer();
        server.on('error', failed);
        server.listen(0, '127.0.0.1', () => {
            const port = server.address().port;
            server.close(() => done(port));
        });
    });
}

function answers(url) {
    return new Promise((done, failed) => {
        get(url, (response) => {
            response.resume();
            done(response.statusCode === 200);
        }).on('error', failed);
    });
}

// Xvfb on the first free display (it names it on a pipe), WebKitWebDriver
// on a free port with that display, and a session of its MiniBrowser.
// Full screen, the MiniBrowser has no toolbar, and its window can be made
// as narrow as a phone.
async function launchWebKit() {
    const xvfb = spawn('Xvfb', ['-displayfd', '3', '-nolisten', 'tcp', '-screen', '0', '1280x1024x24'],
                       {stdio: ['ignore', 'ignore', 'inherit', 'pipe']});
    const display = await new Promise((done, failed) => {
        let said = '';
        xvfb.on('error', failed);
        xvfb.on('exit', (code) => failed(new Error('Xvfb ended with ' + code)));
        xvfb.stdio[3].on('data', (data) => {
            said += data;
            if (said.includes('\n')) done(':' + said.trim());
        });
    });
    const port = await freePort();
    const driver = spawn(process.env.WEBKIT_WEBDRIVER || '/usr/bin/WebKitWebDriver', ['--port=' + port],
                         {env: Object.assign({}, process.env, {DISPLAY: display}), stdio: ['ignore', 'ignore', 'inherit']});
    // However this process ends, the display goes, and the MiniBrowser on it.
    const end = () => {
        driver.kill();
        xvfb.kill();
    };
    process.once('exit', end);
    for (const signal of ['SIGINT', 'SIGTERM', 'SIGHUP'])
        process.once(signal, () => { end(); process.exit(1); });
    const server = 'http://127.0.0.1:' + port;
    for (let tries = 0; ; ++tries) {
        try {
            if (await answers(server + '/status')) break;
        } catch (error) {
            if (tries > 100) throw new Error('WebKitWebDriver did not answer on ' + server);
        }
        await sleep(50);
    }
    const session = await new webdriver.Builder().usingServer(server).withCapabilities({
        browserName: 'MiniBrowser',
        'webkitgtk:browserOptions': {binary: miniBrowser, args: ['--automation', '--full-screen']},
    }).build();
    await session.manage().setTimeouts({script: 600000, pageLoad: 60000});
    return new WebKitBrowser(session, driver, xvfb);
}

class WebKitBrowser {
    constructor(session, driver, xvfb) {
        Object.assign(this, {engine: 'webkit', session, driver, xvfb, pid: driver.pid});
    }

    // The one window of the session, sized so that the page sees the
    // viewport asked for, on the address. The engine reports no requests.
    async open(url, viewport = defaultViewport) {
        // The window takes its new size a moment after the driver says so.
        const inner = async () => {
            let last = null;
            for (let tries = 0; tries < 50; ++tries) {
                const now = await this.session.executeScript('return [innerWidth, innerHeight]');
                if (now[0] === viewport.width && now[1] === viewport.height) return now;
                if (last !== null && now[0] === last[0] && now[1] === last[1] && tries > 10) return now;
                last = now;
                await sleep(20);
            }
            return last;
        };
        const window = this.session.manage().window();
        await this.session.get('about:blank');
        let outer = viewport;
        for (let tries = 0; tries < 3; ++tries) {
            await window.setRect(outer);
            const seen = await inner();
            if (seen[0] === viewport.width && seen[1] === viewport.height) break;
            outer = {width: Math.max(100, outer.width + viewport.width - seen[0]),
                     height: Math.max(100, outer.height + viewport.height - seen[1])};
        }
        await this.session.get(url);
        return new WebKitTab(this.session);
    }

    async close() {
        try {
            await this.session.quit();
        } finally {
            this.driver.kill();
            this.xvfb.kill();
        }
    }
}

class WebKitTab {
    constructor(session) {
        Object.assign(this, {engine: 'webkit', session, requests: null});
    }
    async evaluate(script, ...args) {
        const result = await this.session.executeAsyncScript(
            'const done = arguments[arguments.length - 1];' +
            'const args = Array.prototype.slice.call(arguments, 0, arguments.length - 1);' +
            'Promise.resolve().then(() => (' + script + ').apply(null, args))' +
            '.then((value) => done({value: value === undefined ? null : value}),' +
            '      (error) => done({error: String(error && error.stack || error)}));', ...args);
        if ('error' in result) throw new Error('in the page: ' + result.error);
        return result.value;
    }
    waitFor(script, args = [], options = {}) { return waitFor(this, script, args, options); }
    async pick(selector, path) { await this.session.findElement(webdriver.By.css(selector)).sendKeys(path); }
    async type(selector, text) {
        const input = this.session.findElement(webdriver.By.css(selector));
        await this.session.executeScript('arguments[0].value = ""', input);
        await input.sendKeys(text);
    }
    async press(key) {
        const keys = {Tab: webdriver.Key.TAB};
        await this.session.actions().sendKeys(keys[key] || key).perform();
    }
    async click(selector) { await this.session.findElement(webdriver.By.css(selector)).click(); }
    async focus(selector) {
        await this.session.executeScript('arguments[0].focus()', this.session.findElement(webdriver.By.css(selector)));
    }
    // The driver keeps the mouse where the last actions left it, and its
    // button down, from one list of actions to the next.
    async move(x, y) {
        await this.session.actions().move({x: Math.round(x), y: Math.round(y), origin: webdriver.Origin.VIEWPORT})
            .perform();
    }
    async down() { await this.session.actions().press().perform(); }
    async up() { await this.session.actions().release().perform(); }
    // The pointer goes there first: a fresh MiniBrowser now and then drops
    // a wheel that is the first input it gets.
    async wheel(x, y, deltaY) {
        await this.move(x, y);
        await this.session.actions().scroll(Math.round(x), Math.round(y), 0, deltaY, webdriver.Origin.VIEWPORT)
            .perform();
    }
    // WebKitWebDriver plays touch pointers as the one mouse.
    get touch() { return null; }
    // What the window shows: the driver takes no picture of the whole page.
    // It takes the frame painted last, so two frames are waited for first.
    async screenshot(path) {
        await this.evaluate(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done))));
        writeFileSync(path, Buffer.from(await this.session.takeScreenshot(), 'base64'));
    }
    async reload() { await this.session.navigate().refresh(); }
    async close() { await this.session.get('about:blank'); }
}
