// A real SMTP server that takes logins, for the tests: one user, LOGIN and CRAM-MD5 (and PLAIN)
// over plain TCP on 127.0.0.1.
//   node login_server.js USER PASSWORD
// Listens on a free port and prints "port N" once it accepts connections. Every login
// attempt is printed as "login METHOD USER ok|refused". It stops when its standard input
// closes, so it never outlives the test that started it.
'use strict';

const { SMTPServer } = require('smtp-server');

const [user, password] = process.argv.slice(2);
if (user === undefined || password === undefined) {
    process.stderr.write('usage: node login_server.js USER PASSWORD\n');
    process.exit(2);
}

const server = new SMTPServer({
    authMethods: ['PLAIN', 'LOGIN', 'CRAM-MD5'],
    allowInsecureAuth: true, // no TLS on loopback
    disabledCommands: ['STARTTLS'],
    logger: false,
    onAuth(auth, session, callback) {
        const accepted =
            auth.username === user &&
            (auth.method === 'CRAM-MD5' ? auth.validatePassword(password) : auth.password === password);
        process.stdout.write(`login ${auth.method} ${auth.username} ${accepted ? 'ok' : 'refused'}\n`);
        if (!accepted) {
            const error = new Error('Invalid username or password');
            error.responseCode = 535;
            return callback(error);
        }
        return callback(null, { user: auth.username });
    },
    onData(stream, session, callback) {
        stream.resume();
        stream.on('end', () => callback());
    },
});

server.on('error', (error) => process.stderr.write(`server error: ${error.message}\n`));
server.listen(0, '127.0.0.1', () => {
    process.stdout.write(`port ${server.server.address().port}\n`);
});

process.stdin.on('end', () => server.close(() => process.exit(0)));
process.stdin.on('error', () => process.exit(0));
process.stdin.resume();
