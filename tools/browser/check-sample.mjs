// Opens a published sample in Debian's chromium (headless, through
// playwright-core) and checks what a reader would see:
//   - each GIF renders at its size with exactly the colours Pillow decodes;
//   - each image map's rectangles are the hotspots of its SHG file (as
//     `vellumdesk shg-info` reads them);
//   - a click on the first and the last pixel of every hotspot lands on the
//     page the map names, that page exists, and no link is "00000.";
//   - a click on the pixel just past a hotspot's corner does not open it;
//   - pointing at a hotspot shows its outline over exactly its rectangle.
//
//   node check-sample.mjs [--first-fault] PUBLISHED-FOLDER SHG-FOLDER TOOL
//
// Exit status 0 when everything holds, 1 with one line per fault otherwise
// (--first-fault: stop at the first one).
import { execFileSync } from "node:child_process";
import { createReadStream, existsSync, statSync } from "node:fs";
import { createServer } from "node:http";
import path from "node:path";
import { chromium } from "playwright-core";

const args = process.argv.slice(2);
const firstFaultOnly = args[0] === "--first-fault";
if (firstFaultOnly) args.shift();
const [root, shgFolder, tool] = args;
if (!root || !shgFolder || !tool) {
    console.error("usage: node check-sample.mjs PUBLISHED-FOLDER SHG-FOLDER TOOL");
    process.exit(2);
}
const browserPath = process.env.VD_CHROMIUM || "/usr/bin/chromium";
const faults = [];
class CFirstFault extends Error {}
const fault = (text) => {
    faults.push(text);
    if (firstFaultOnly) throw new CFirstFault(text);
};

// Serves the folder over HTTP, so a missing page answers 404 and the page's
// pictures can be read back from a canvas (same origin).
function serve(folder) {
    const server = createServer((request, response) => {
        const name = decodeURIComponent(new URL(request.url, "http://x").pathname);
        const file = path.join(folder, path.normalize(name).replace(/^(\.\.[/\\])+/, ""));
        if (!file.startsWith(folder) || !existsSync(file) || !statSync(file).isFile()) {
            response.writeHead(404).end("not found");
            return;
        }
        const types = { ".html": "text/html", ".gif": "image/gif", ".js": "text/javascript" };
        response.writeHead(200, { "Content-Type": types[path.extname(file)] || "text/plain" });
        createReadStream(file).pipe(response);
    });
    return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve(server)));
}

// The GIF decoded by Pillow: width, height and RGB bytes.
function decodeGif(file) {
    const script =
        "import sys\nfrom PIL import Image\nim = Image.open(sys.argv[1]).convert('RGB')\n" +
        "sys.stdout.buffer.write(im.width.to_bytes(4, 'little') + " +
        "im.height.to_bytes(4, 'little') + im.tobytes())";
    const python = process.env.VD_PYTHON || "/usr/bin/python3";
    const out = execFileSync(python, ["-c", script, file], { maxBuffer: 1 << 28 });
    return { width: out.readUInt32LE(0), height: out.readUInt32LE(4), rgb: out.subarray(8) };
}

// The hotspot rectangles of an SHG file, in file order.
function shgHotspots(file) {
    const text = execFileSync(tool, ["shg-info", "--", file], { encoding: "utf8" });
    return [...text.matchAll(/^\w+ \w+ (-?\d+),(-?\d+),(-?\d+),(-?\d+) name /gm)].map((m) =>
        m.slice(1, 5).map(Number));
}

const inside = (r, x, y) => x >= r[0] && x < r[2] && y >= r[1] && y < r[3];

async function checkPicture(page, base, img) {
    const info = await img.evaluate((el) => {
        // The content box: the picture itself, without border or padding.
        const style = getComputedStyle(el);
        const box = {
            width: el.clientWidth - parseFloat(style.paddingLeft) - parseFloat(style.paddingRight),
            height: el.clientHeight - parseFloat(style.paddingTop) - parseFloat(style.paddingBottom),
        };
        const canvas = document.createElement("canvas");
        canvas.width = el.naturalWidth;
        canvas.height = el.naturalHeight;
        const context = canvas.getContext("2d");
        context.drawImage(el, 0, 0);
        const data = context.getImageData(0, 0, canvas.width, canvas.height).data;
        return {
            src: el.getAttribute("src"),
            usemap: el.getAttribute("usemap"),
            natural: [el.naturalWidth, el.naturalHeight],
            shown: [box.width, box.height],
            rgba: Array.from(data),
        };
    });
    const gif = decodeGif(path.join(root, info.src));
    const size = `${gif.width} x ${gif.height}`;
    if (info.natural.join(" x ") !== size || info.shown.join(" x ") !== size) {
        fault(`${info.src}: shown at ${info.shown.join(" x ")} (natural ` +
              `${info.natural.join(" x ")}), the GIF is ${size}`);
    }
    let wrong = 0;
    for (let i = 0, j = 0; j < gif.rgb.length && i < info.rgba.length; i += 4, j += 3) {
        if (info.rgba[i] !== gif.rgb[j] || info.rgba[i + 1] !== gif.rgb[j + 1] ||
            info.rgba[i + 2] !== gif.rgb[j + 2]) {
            ++wrong;
        }
    }
    if (wrong > 0 || info.rgba.length / 4 !== gif.rgb.length / 3) {
        fault(`${info.src}: ${wrong} pixels render in other colours than the GIF holds`);
    }
    if (info.usemap) await checkMap(page, base, img, info);
}

async function checkMap(page, base, img, info) {
    const mapName = info.usemap.replace(/^#/, "");
    const areas = await page.evaluate((name) => {
        const map = Array.from(document.getElementsByTagName("map")).find((m) => m.name === name);
        return map ? Array.from(map.areas, (a) => ({
            coords: a.coords.split(",").map(Number),
            href: a.getAttribute("href") || "",
        })) : null;
    }, mapName);
    if (!areas) {
        fault(`${info.src}: no map named ${mapName}`);
        return;
    }
    const stem = path.basename(info.src, ".gif");
    const expected = shgHotspots(path.join(shgFolder, `${stem}.shg`));
    if (expected.length !== areas.length) {
        fault(`${mapName}: ${areas.length} areas, the SHG file has ${expected.length} hotspots`);
    }
    areas.forEach((area, i) => {
        if (expected[i] && area.coords.join(",") !== expected[i].join(",")) {
            fault(`${mapName}: area ${i + 1} at ${area.coords}, its hotspot is at ${expected[i]}`);
        }
        if (/^00000\./.test(area.href)) fault(`${mapName}: area ${i + 1} links to ${area.href}`);
    });

    // Where a click at a picture pixel must go: the first hotspot holding it.
    const targetAt = (x, y) => {
        const i = expected.findIndex((r) => inside(r, x, y));
        return i < 0 || !areas[i] ? null : areas[i].href;
    };
    for (const [i, r] of expected.entries()) {
        const owner = expected.findIndex((o) => inside(o, r[0], r[1]));
        if (owner === i && areas[i]) await checkHover(page, img, `${mapName}: hotspot ${i + 1}`, areas[i]);
    }
    const pagesUrl = page.url();
    for (const [i, r] of expected.entries()) {
        const points = [[r[0], r[1]], [r[2] - 1, r[3] - 1], [r[2], r[3]], [r[0] - 1, r[1] - 1]];
        for (const [x, y] of points) {
            if (x < 0 || y < 0 || x >= info.natural[0] || y >= info.natural[1]) continue;
            await clickAndCheck(page, base, img, `${mapName}: hotspot ${i + 1}`, x, y,
                                targetAt(x, y), pagesUrl);
        }
    }
}

// The picture's content box: where its pixels are drawn on the page.
async function contentOrigin(img) {
    await img.scrollIntoViewIfNeeded();
    return img.evaluate((el) => {
        const r = el.getBoundingClientRect();
        const style = getComputedStyle(el);
        return [r.left + parseFloat(style.borderLeftWidth) + parseFloat(style.paddingLeft),
                r.top + parseFloat(style.borderTopWidth) + parseFloat(style.paddingTop)];
    });
}

// Points at the area's first pixel: the page must outline that area alone.
async function checkHover(page, img, what, area) {
    const origin = await contentOrigin(img);
    await page.mouse.move(origin[0] + area.coords[0] + 0.5, origin[1] + area.coords[1] + 0.5);
    const shown = await page.evaluate(() => Array.from(document.querySelectorAll(".hotspot"))
        .filter((box) => getComputedStyle(box).display !== "none")
        .map((box) => [box.offsetLeft, box.offsetTop, box.offsetLeft + box.offsetWidth,
                       box.offsetTop + box.offsetHeight].join(",")));
    if (shown.length !== 1 || shown[0] !== area.coords.join(",")) {
        fault(`${what}: pointing at it shows [${shown.join("; ")}], not its outline at ${area.coords}`);
    }
    await page.mouse.move(0, 0);
}

// Clicks the middle of picture pixel (x, y) and checks where it leads.
async function clickAndCheck(page, base, img, what, x, y, href, pagesUrl) {
    const box = await contentOrigin(img);
    let response = null;
    // A click outside every hotspot must lead nowhere; a short wait shows it.
    const navigation = page
        .waitForNavigation({ timeout: href === null ? 400 : 5000 })
        .then((r) => (response = r), () => null);
    await page.mouse.click(box[0] + x + 0.5, box[1] + y + 0.5);
    await navigation;
    const landed = page.url();
    if (response && landed !== pagesUrl) await page.goBack();
    const where = `click at pixel ${x},${y}`;
    if (href === null) {
        if (response) fault(`${what}: ${where} opened ${landed}, outside every hotspot`);
        return;
    }
    const wanted = new URL(href, base).href;
    if (!response) {
        fault(`${what}: ${where} went nowhere, the map names ${href}`);
    } else if (landed !== wanted) {
        fault(`${what}: ${where} went to ${landed}, the map names ${href}`);
    } else if (!response.ok()) {
        fault(`${what}: ${where} opened ${href}, which does not exist (HTTP ${response.status()})`);
    }
}

const server = await serve(path.resolve(root));
const base = `http://127.0.0.1:${server.address().port}/`;
const browser = await chromium.launch({
    executablePath: browserPath,
    headless: true,
    args: ["--no-sandbox", "--disable-gpu", "--force-color-profile=srgb"],
});
try {
    const page = await browser.newPage({ deviceScaleFactor: 1 });
    const start = await page.goto(base + "index.html");
    if (!start || !start.ok()) throw new Error(`cannot open ${base}index.html`);
    const count = await page.locator("img").count();
    if (count === 0) fault("index.html shows no pictures");
    for (let i = 0; i < count; ++i) {
        // A locator finds the picture anew after each return to the page.
        await checkPicture(page, base, page.locator("img").nth(i));
    }
} catch (error) {
    if (!(error instanceof CFirstFault)) throw error;
} finally {
    await browser.close();
    server.close();
}
for (const line of faults) console.error(`check-sample: ${line}`);
if (faults.length > 0) process.exit(1);
console.log(`check-sample: ${root}: every picture and hotspot is right`);
