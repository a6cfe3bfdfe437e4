-- Sample data for trying the console at once. Money is x 10 000.

-- The cashier comes first so that the log-in list offers it first.
INSERT INTO operadores (NOMBRE, PASS,
    CONFPUE, CONFTAR, CONFFRA, CONFBON, CONFTPV, CONFTIC, CONFTUR, CONFOP, CUEADD, CUEMOD, CUEELI, CUECRE,
    CUETAR, APAGA1, APAGA2, APAGA3, APAGA4, APAGATODOS, DESACTIVA, ACTIVA, VENTATPV, LISTADO1, LISTADO2,
    LISTADO3, LISTADO4, INFORME1, INFORME2, INFORME3, INFORME4, INFORME5, CONFIMP, CONFLOGS, IMPLOGPAS,
    IMPLOGPAS_1, MODFECHACAD)
VALUES ('CAJA', '1234',
    0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 1,
    0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 0, 0, 0, 0, 0, 0, 1,
    1, 0);

INSERT INTO tasas (Nombre, valor) VALUES ('IVA REDUCIDO', 10);

INSERT INTO tarifas (NOM, TIPO, COS_HORA, COS_MIN) VALUES ('NORMAL', 0, 12000, 5000);
INSERT INTO tarifas (NOM, TIPO, COS_HORA, COS_MIN) VALUES ('NOCHE', 0, 20000, 5000);
INSERT INTO tarifas (NOM, TIPO, COS_HORA, COS_MIN) VALUES ('ESTUDIANTE', 0, 9000, 3000);
INSERT INTO tarifas (NOM, TIPO, COS_HORA, COS_MIN) VALUES ('PASES', 1, 0, 0);

INSERT INTO lintarifas (id_tarifa, franja_ini, franja_fin, precio)
    SELECT ID_TAR, 0, 30, 10000 FROM tarifas WHERE NOM = 'PASES';
INSERT INTO lintarifas (id_tarifa, franja_ini, franja_fin, precio)
    SELECT ID_TAR, 30, 60, 18000 FROM tarifas WHERE NOM = 'PASES';
INSERT INTO lintarifas (id_tarifa, franja_ini, franja_fin, precio)
    SELECT ID_TAR, 60, 120, 30000 FROM tarifas WHERE NOM = 'PASES';

INSERT INTO franjas (franja_ini, franja_fin, id_tar, tarifa)
    SELECT '08:00:00', '20:00:00', ID_TAR, NOM FROM tarifas WHERE NOM = 'NORMAL';
INSERT INTO franjas (franja_ini, franja_fin, id_tar, tarifa)
    SELECT '20:00:00', '08:00:00', ID_TAR, NOM FROM tarifas WHERE NOM = 'NOCHE';

INSERT INTO puestos (npuesto, ip, ip1, ip2, ip3, ip4, host) VALUES (1, '127.0.1.1', 127, 0, 1, 1, 'PUESTO1');
INSERT INTO puestos (npuesto, ip, ip1, ip2, ip3, ip4, host) VALUES (2, '127.0.1.2', 127, 0, 1, 2, 'PUESTO2');
INSERT INTO puestos (npuesto, ip, ip1, ip2, ip3, ip4, host) VALUES (3, '127.0.1.3', 127, 0, 1, 3, 'PUESTO3');
INSERT INTO puestos (npuesto, ip, ip1, ip2, ip3, ip4, host) VALUES (4, '127.0.1.4', 127, 0, 1, 4, 'PUESTO4');
INSERT INTO puestos (npuesto, ip, ip1, ip2, ip3, ip4, host) VALUES (5, '127.0.1.5', 127, 0, 1, 5, 'PUESTO5');
INSERT INTO puestos (npuesto, ip, ip1, ip2, ip3, ip4, host) VALUES (6, '127.0.1.6', 127, 0, 1, 6, 'PUESTO6');
INSERT INTO puestos (npuesto, ip, ip1, ip2, ip3, ip4, host) VALUES (7, '127.0.1.7', 127, 0, 1, 7, 'PUESTO7');
INSERT INTO puestos (npuesto, ip, ip1, ip2, ip3, ip4, host, preciorel) VALUES (8, '127.0.1.8', 127, 0, 1, 8, 'PUESTO8', 150);

INSERT INTO cuentas (Login, Pass, Nombre, Dir, Telf, email, Alta, Ultima, Tipo, Tarifa, credito, Bonotiempo,
                     Descuento, Bloquear, Desactivada, Intropass, Nomodpass, Aviso, CheckAviso, Escritorio, Observaciones)
VALUES ('10001', '1111', 'Lucía Serrano Gil', 'C/ Mayor 12', '600111222', 'lucia@example.com',
        date('now', 'localtime', '-40 days'), date('now', 'localtime', '-2 days'),
        '0', 'NORMAL', 100000, 0, 0, 1, 0, 0, 0, '', 0, 0, '');
INSERT INTO cuentas (Login, Pass, Nombre, Dir, Telf, email, Alta, Ultima, Tipo, Tarifa, credito, Bonotiempo,
                     Descuento, Bloquear, Desactivada, Intropass, Nomodpass, Aviso, CheckAviso, Escritorio, Observaciones)
VALUES ('10002', '2222', 'Marcos Ibáñez Ruiz', 'Avda. del Puerto 3', '600333444', 'marcos@example.com',
        date('now', 'localtime', '-20 days'), date('now', 'localtime', '-1 days'),
        '0', 'ESTUDIANTE', 45000, 0, 10, 0, 0, 0, 0, '', 0, 2, '');
INSERT INTO cuentas (Login, Pass, Nombre, Dir, Telf, email, Alta, Ultima, Tipo, Tarifa, credito, Bonotiempo,
                     Descuento, Bloquear, Desactivada, Intropass, Nomodpass, Aviso, CheckAviso, Escritorio, Observaciones)
VALUES ('10003', '3333', 'Elena Cortés Vidal', 'Plaza Nueva 7', '600555666', '',
        date('now', 'localtime', '-10 days'), date('now', 'localtime'),
        '1', 'FRANJA HORARIA', 80000, 0, 0, 1, 0, 0, 0, '', 0, 0, '');
INSERT INTO cuentas (Login, Pass, Nombre, Dir, Telf, email, Alta, Ultima, Tipo, Tarifa, credito, Bonotiempo,
                     Descuento, Bloquear, Desactivada, Intropass, Nomodpass, Aviso, CheckAviso, Escritorio, Observaciones)
VALUES ('10004', '4444', 'Javier Ortega Sanz', 'C/ Real 45', '600777888', 'javier@example.com',
        date('now', 'localtime', '-60 days'), date('now', 'localtime', '-5 days'),
        '2', 'BONO TIEMPO', 0, 10800, 0, 0, 0, 0, 0, '', 0, 3, '');
INSERT INTO cuentas (Login, Pass, Nombre, Dir, Telf, email, Alta, Ultima, Tipo, Tarifa, credito, Bonotiempo,
                     Descuento, Bloquear, Desactivada, Intropass, Nomodpass, Aviso, CheckAviso, Escritorio, Observaciones)
VALUES ('10005', '5555', 'Nuria Pascual Roca', '', '', '',
        date('now', 'localtime', '-3 days'), date('now', 'localtime', '-3 days'),
        '2', 'BONO TIEMPO', 0, 3600, 0, 0, 0, 0, 1, 'Recuerde renovar su bono', 1, 0, '');
INSERT INTO cuentas (Login, Pass, Nombre, Dir, Telf, email, Alta, Ultima, Tipo, Tarifa, credito, Bonotiempo,
                     Descuento, Bloquear, Desactivada, Intropass, Nomodpass, Aviso, CheckAviso, Escritorio, Observaciones)
VALUES ('90001', '7777', '', '', '', '',
        date('now', 'localtime', '-1 days'), date('now', 'localtime', '-1 days'),
        '9', 'BONO TIEMPO', 0, 1800, 0, 0, 0, 0, 1, '', 0, 0, '');
INSERT INTO cuentas (Login, Pass, Nombre, Dir, Telf, email, Alta, Ultima, Tipo, Tarifa, credito, Bonotiempo,
                     Descuento, Bloquear, Desactivada, Intropass, Nomodpass, Aviso, CheckAviso, Escritorio, Observaciones)
VALUES ('90002', '8888', '', '', '', '',
        date('now', 'localtime'), date('now', 'localtime'),
        '9', 'BONO TIEMPO', 0, 7200, 0, 0, 0, 0, 1, '', 0, 0, '');

INSERT INTO bonos (CODIGO, DESCRIPCION, PRECIO, tiempo_bono) VALUES ('B1H', 'Bono 1 hora', 10000, 60);
INSERT INTO bonos (CODIGO, DESCRIPCION, PRECIO, tiempo_bono) VALUES ('B5H', 'Bono 5 horas', 45000, 300);
INSERT INTO bonos (CODIGO, DESCRIPCION, PRECIO, tiempo_bono) VALUES ('B10H', 'Bono 10 horas', 80000, 600);
-- Selling a time code proposes the one-hour voucher.
UPDATE opciones SET ini_time_cod = 'B1H';

INSERT INTO recargas (CODIGO, DESCRIPCION, PRECIO) VALUES ('R5', 'Recarga 5 euros', 50000);
INSERT INTO recargas (CODIGO, DESCRIPCION, PRECIO) VALUES ('R10', 'Recarga 10 euros', 100000);
INSERT INTO recargas (CODIGO, DESCRIPCION, PRECIO) VALUES ('R20', 'Recarga 20 euros', 200000);

INSERT INTO articulos (CODIGO, ARTICULO, PRECIO, IdTax) VALUES ('CAFE', 'Café', 10000, 2);
INSERT INTO articulos (CODIGO, ARTICULO, PRECIO, IdTax) VALUES ('REFRESCO', 'Refresco lata', 15000, 2);
INSERT INTO articulos (CODIGO, ARTICULO, PRECIO, IdTax) VALUES ('AGUA', 'Agua 50 cl', 8000, 2);
INSERT INTO articulos (CODIGO, ARTICULO, PRECIO, IdTax) VALUES ('IMPBN', 'Impresión B/N', 1000, 1);
INSERT INTO articulos (CODIGO, ARTICULO, PRECIO, IdTax) VALUES ('IMPCOL', 'Impresión color', 5000, 1);
INSERT INTO articulos (CODIGO, ARTICULO, PRECIO, IdTax) VALUES ('CDR', 'CD grabable', 12000, 1);

INSERT INTO turnos (TURNO, HORA_INI, HORA_FIN) VALUES ('MAÑANA', '08:00:00', '15:00:00');
INSERT INTO turnos (TURNO, HORA_INI, HORA_FIN) VALUES ('TARDE', '15:00:00', '23:00:00');

-- The raw CUPS queue that ./run.sh points at the demo's receipt printer.
UPDATE opciones SET impresoratick = 'Quintor-Demo';

-- Accounts that show the refusals at a station: a first password to choose,
-- a deactivated account and one not used for a year.
INSERT INTO cuentas (Login, Pass, Nombre, Dir, Telf, email, Alta, Ultima, Tipo, Tarifa, credito, Bonotiempo,
                     Descuento, Bloquear, Desactivada, Intropass, Nomodpass, Aviso, CheckAviso, Escritorio, Observaciones)
VALUES ('10006', '', 'Pablo Nieto Gómez', '', '', '',
        date('now', 'localtime'), date('now', 'localtime'),
        '0', 'NORMAL', 50000, 0, 0, 1, 0, 1, 0, '', 0, 0, '');
INSERT INTO cuentas (Login, Pass, Nombre, Dir, Telf, email, Alta, Ultima, Tipo, Tarifa, credito, Bonotiempo,
                     Descuento, Bloquear, Desactivada, Intropass, Nomodpass, Aviso, CheckAviso, Escritorio, Observaciones)
VALUES ('10007', '7777', 'Rosa Delgado Marín', '', '', '',
        date('now', 'localtime', '-30 days'), date('now', 'localtime', '-30 days'),
        '0', 'NORMAL', 30000, 0, 0, 1, 1, 0, 0, '', 0, 0, '');
INSERT INTO cuentas (Login, Pass, Nombre, Dir, Telf, email, Alta, Ultima, Tipo, Tarifa, credito, Bonotiempo,
                     Descuento, Bloquear, Desactivada, Intropass, Nomodpass, Aviso, CheckAviso, Escritorio, Observaciones)
VALUES ('10008', '8888', 'Tomás Vera Luque', '', '', '',
        date('now', 'localtime', '-400 days'), date('now', 'localtime', '-400 days'),
        '0', 'NORMAL', 30000, 0, 0, 1, 0, 0, 0, '', 0, 0, '');
